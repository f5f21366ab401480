// The one sample format the library mixes, writes out and captures.
#pragma once

namespace music {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2; // 16-bit signed samples, interleaved left and right

// A block is what the output takes at once. With 20 ms blocks and eight of them queued, the device
// has 160 ms in hand when the mixing thread is held up (a small machine busy unpacking): less, and
// wave-out runs dry and crackles. The device opens only when a module starts, with an empty queue,
// so the music is heard as soon as before.
constexpr int kBlockFrames = 882;
constexpr int kQueuedBlocks = 8;

} // namespace music
