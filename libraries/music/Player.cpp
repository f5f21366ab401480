#include "Player.h"

#include "Errors.h"
#include "Format.h"

#include <xmp.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace music {

namespace {

ErrorCode LoadFailure(int result) {
    switch (-result) {
    case XMP_ERROR_LOAD:
        return ErrorCode::DamagedModule;
    case XMP_ERROR_SYSTEM:
        return ErrorCode::OutOfMemory;
    default:
        // An empty file, and a packed module too: the depackers are not built in.
        return ErrorCode::UnknownFormat;
    }
}

xmp_context Context(void* context) {
    return static_cast<xmp_context>(context);
}

} // namespace

Player::Player(const std::vector<char>& moduleBytes) : context(xmp_create_context()) {
    if (!context)
        throw std::bad_alloc();
    int result = xmp_load_module_from_memory(Context(context), moduleBytes.data(), long(moduleBytes.size()));
    if (result < 0) {
        xmp_free_context(Context(context));
        throw Failure{LoadFailure(result)};
    }
}

Player::~Player() {
    // Ending a player that never started and releasing the module are both safe in libxmp.
    xmp_end_player(Context(context));
    xmp_release_module(Context(context));
    xmp_free_context(Context(context));
}

MIDASmoduleInfo Player::Info() const {
    xmp_module_info module;
    xmp_get_module_info(Context(context), &module);
    MIDASmoduleInfo info = {};
    // Longer titles are cut to the record's field, which always keeps its terminating zero.
    std::memcpy(info.name, module.mod->name, std::min(sizeof info.name - 1, std::strlen(module.mod->name)));
    info.length = std::uint32_t(module.mod->len);
    info.patterns = std::uint32_t(module.mod->pat);
    info.channels = std::uint32_t(module.mod->chn);
    info.instruments = std::uint32_t(module.mod->ins);
    return info;
}

void Player::Start(bool loopModule) {
    int result = xmp_start_player(Context(context), kSampleRate, 0);
    if (result < 0)
        throw Failure{result == -XMP_ERROR_SYSTEM ? ErrorCode::OutOfMemory : ErrorCode::PlayerFailure};
    loop = loopModule;
}

void Player::AddTo(std::span<std::int32_t> mix) {
    if (ended)
        return;
    rendered.resize(mix.size());
    // libxmp counts a loop each time the module comes back to its restart position: 0 means never stop.
    if (xmp_play_buffer(Context(context), rendered.data(), int(rendered.size() * sizeof rendered[0]),
                        loop ? 0 : 1) != 0) {
        ended = true;
        return;
    }
    std::transform(mix.begin(), mix.end(), rendered.begin(), mix.begin(),
                   [](std::int32_t sum, std::int16_t sample) { return sum + sample; });
}

} // namespace music
