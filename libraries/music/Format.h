// The one sample format the library mixes, writes out and captures.
#pragma once

namespace music {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2; // 16-bit signed samples, interleaved left and right

// A block is what the output takes at once. With 20 ms blocks and four of them queued, a module
// started now is heard within about 80 ms.
constexpr int kBlockFrames = 882;
constexpr int kQueuedBlocks = 4;

} // namespace music
