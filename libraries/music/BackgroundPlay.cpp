#include "BackgroundPlay.h"

#include "Errors.h"

#include <system_error>

namespace music {

BackgroundPlay::BackgroundPlay(Mix mix, Audible audible)
    : mix(std::move(mix)), audible(std::move(audible)), stop(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (!stop)
        throw Failure{ErrorCode::NoOutput};
    try {
        thread = std::thread(&BackgroundPlay::Run, this);
    } catch (const std::system_error&) {
        CloseHandle(stop);
        throw Failure{ErrorCode::NoOutput};
    }
}

BackgroundPlay::~BackgroundPlay() {
    SetEvent(stop);
    thread.join();
    output.reset();
    CloseHandle(stop);
}

void BackgroundPlay::Run() {
    // Mixing a block takes a fraction of its time: above the unpacking thread, the queue stays full.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    // Opening the sound device takes Wine tens of milliseconds of loading libraries, which the
    // program's start, loading its own at the same time, would wait for: it waits for the music.
    output = MakeSilentOutput();
    bool deviceTried = false;
    for (;;) {
        if (!deviceTried && audible()) {
            deviceTried = true;
            if (std::unique_ptr<Output> device = OpenWaveOutput())
                output = std::move(device);
        }
        std::span<std::int16_t> block = output->NextBlock(stop);
        if (block.empty())
            return;
        mix(block);
        // A device that stops taking data (unplugged, say) leaves the music silent but still paced.
        if (!output->Submit())
            output = MakeSilentOutput();
    }
}

} // namespace music
