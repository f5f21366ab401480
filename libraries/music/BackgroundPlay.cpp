#include "BackgroundPlay.h"

#include "Errors.h"

#include <system_error>

namespace music {

BackgroundPlay::BackgroundPlay(Mix mix)
    : mix(std::move(mix)), stop(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
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
    // Finding the sound device can take the system tens of milliseconds: the program's windows do
    // not wait for it.
    output = OpenWaveOutput();
    if (!output)
        output = MakeSilentOutput();
    for (;;) {
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
