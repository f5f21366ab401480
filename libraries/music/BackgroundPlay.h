// The library's own thread: from construction to destruction it has `mix` fill each block that the
// output has room for. The sound device is opened once something is to be heard; until then the
// blocks are paced by the clock.
#pragma once

#include "Output.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <thread>

namespace music {

class BackgroundPlay {
public:
    using Mix = std::function<void(std::span<std::int16_t>)>;
    // Whether anything plays.
    using Audible = std::function<bool()>;

    // Throws Failure when the thread cannot be started.
    BackgroundPlay(Mix mix, Audible audible);
    ~BackgroundPlay();
    BackgroundPlay(const BackgroundPlay&) = delete;
    BackgroundPlay& operator=(const BackgroundPlay&) = delete;

private:
    void Run();

    Mix mix;
    Audible audible;
    HANDLE stop;
    std::unique_ptr<Output> output;
    std::thread thread;
};

} // namespace music
