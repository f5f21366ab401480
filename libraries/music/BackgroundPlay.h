// The library's own thread: from construction to destruction it has `mix` fill each block that the
// output has room for.
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

    // Throws Failure when the thread cannot be started.
    explicit BackgroundPlay(Mix mix);
    ~BackgroundPlay();
    BackgroundPlay(const BackgroundPlay&) = delete;
    BackgroundPlay& operator=(const BackgroundPlay&) = delete;

private:
    void Run();

    Mix mix;
    HANDLE stop;
    std::unique_ptr<Output> output;
    std::thread thread;
};

} // namespace music
