// Where the mixed blocks go. The mixing thread asks for room, fills it and hands it over, and so
// runs at the pace the output takes blocks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>

namespace music {

class Output {
public:
    virtual ~Output() = default;
    // Room for the next block once the output has it; empty when `stop` was signalled first.
    virtual std::span<std::int16_t> NextBlock(HANDLE stop) = 0;
    // Hands over the block that NextBlock gave; false when the output takes no more data.
    virtual bool Submit() = 0;
};

// The default wave-out device; nothing when the system has none that takes the library's format.
std::unique_ptr<Output> OpenWaveOutput();
// Takes blocks at the pace a device would and discards them, so a silent system plays on.
std::unique_ptr<Output> MakeSilentOutput();

} // namespace music
