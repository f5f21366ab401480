#include "Library.h"

#include "Errors.h"

#include <algorithm>
#include <exception>

namespace music {

Library& Library::Instance() {
    // Never destroyed: at process exit the mixing thread may already have been ended by the system,
    // and destroying a library that still counts on it would end the process abnormally.
    static Library* library = new Library;
    return *library;
}

template <class Body> auto Library::Call(Body body) {
    std::lock_guard lock(calls);
    try {
        return body();
    } catch (const Failure& failure) {
        lastError = std::int32_t(failure.code);
    } catch (const std::exception&) {
        // Nothing may cross the exported boundary; what the standard library throws in here comes
        // from running out of memory or past the size a container can hold.
        lastError = std::int32_t(ErrorCode::OutOfMemory);
    }
    return decltype(body())(0);
}

void Library::RequireInitialised() const {
    if (!initialised)
        throw Failure{ErrorCode::NotInitialised};
}

Module& Library::FindModule(MIDASmodule module) {
    auto found = modules.find(module);
    if (found == modules.end())
        throw Failure{ErrorCode::BadModuleHandle};
    return found->second;
}

std::uint32_t Library::NewHandle() {
    if (++lastHandle == 0)
        ++lastHandle;
    return lastHandle;
}

MIDASboolean Library::Startup() {
    return Call([&] {
        // The defaults are fixed; there is nothing to set up before MIDASinit.
        if (initialised)
            throw Failure{ErrorCode::AlreadyInitialised};
        return MIDASboolean(1);
    });
}

MIDASboolean Library::Init() {
    return Call([&] {
        if (initialised)
            throw Failure{ErrorCode::AlreadyInitialised};
        std::unique_ptr<Capture> opened = Capture::FromEnvironment();
        std::lock_guard lock(mixing);
        capture = std::move(opened);
        initialised = true;
        return MIDASboolean(1);
    });
}

MIDASboolean Library::StartBackgroundPlay() {
    return Call([&] {
        RequireInitialised();
        if (background)
            throw Failure{ErrorCode::BackgroundPlayRunning};
        background = std::make_unique<BackgroundPlay>([this](std::span<std::int16_t> block) { Mix(block); },
                                                      [this] {
                                                          std::lock_guard lock(mixing);
                                                          return !playings.empty();
                                                      });
        return MIDASboolean(1);
    });
}

MIDASboolean Library::StopBackgroundPlay() {
    return Call([&] {
        RequireInitialised();
        if (!background)
            throw Failure{ErrorCode::BackgroundPlayNotRunning};
        background.reset();
        return MIDASboolean(1);
    });
}

MIDASboolean Library::Close() {
    return Call([&] {
        RequireInitialised();
        background.reset();
        std::lock_guard lock(mixing);
        playings.clear();
        modules.clear();
        capture.reset();
        initialised = false;
        return MIDASboolean(1);
    });
}

MIDASmodule Library::LoadModule(const char* fileName) {
    return Call([&] {
        RequireInitialised();
        Module module = ReadModule(fileName);
        MIDASmodule handle = NewHandle();
        modules.emplace(handle, std::move(module));
        return handle;
    });
}

MIDASboolean Library::GetModuleInfo(MIDASmodule module, MIDASmoduleInfo* info) {
    return Call([&] {
        RequireInitialised();
        const Module& found = FindModule(module);
        if (!info)
            throw Failure{ErrorCode::InvalidArgument};
        *info = found.info;
        return MIDASboolean(1);
    });
}

MIDASmodulePlayHandle Library::PlayModule(MIDASmodule module, bool loop) {
    return Call([&] {
        RequireInitialised();
        auto player = std::make_unique<Player>(FindModule(module).bytes);
        player->Start(loop);
        MIDASmodulePlayHandle handle = NewHandle();
        std::lock_guard lock(mixing);
        playings.emplace(handle, Playing{module, std::move(player)});
        return handle;
    });
}

MIDASboolean Library::StopModule(MIDASmodulePlayHandle playHandle) {
    return Call([&] {
        RequireInitialised();
        std::lock_guard lock(mixing);
        if (playings.erase(playHandle) == 0)
            throw Failure{ErrorCode::BadPlayHandle};
        return MIDASboolean(1);
    });
}

MIDASboolean Library::ReleaseModule(MIDASmodule module) {
    return Call([&] {
        RequireInitialised();
        FindModule(module);
        // A playing cannot outlive its module: the program may have started more playings than it
        // stops before freeing, and those must fall silent with it.
        std::lock_guard lock(mixing);
        std::erase_if(playings, [module](const auto& playing) { return playing.second.module == module; });
        modules.erase(module);
        return MIDASboolean(1);
    });
}

void Library::Mix(std::span<std::int16_t> block) {
    std::lock_guard lock(mixing);
    sums.assign(block.size(), 0);
    for (auto& [handle, playing] : playings)
        playing.player->AddTo(sums);
    std::transform(sums.begin(), sums.end(), block.begin(),
                   [](std::int32_t sum) { return std::int16_t(std::clamp(sum, -32768, 32767)); });
    if (capture)
        capture->Append(block);
}

} // namespace music
