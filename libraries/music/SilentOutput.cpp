#include "Format.h"
#include "Output.h"

#include <vector>

namespace music {

namespace {

class SilentOutput : public Output {
public:
    SilentOutput() : block(kBlockFrames * kChannels) {
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
    }

    std::span<std::int16_t> NextBlock(HANDLE stop) override {
        // Like a device's queue, the first blocks are taken at once; later ones as time has passed,
        // reckoned from the start so that waking late never adds up to drift.
        LONGLONG due = (submitted - kQueuedBlocks) * kBlockFrames * 1000LL / kSampleRate;
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        LONGLONG elapsed = (now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
        DWORD wait = due > elapsed ? DWORD(due - elapsed) : 0;
        if (WaitForSingleObject(stop, wait) == WAIT_OBJECT_0)
            return {};
        return block;
    }

    bool Submit() override {
        ++submitted;
        return true;
    }

private:
    std::vector<std::int16_t> block;
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LONGLONG submitted = 0;
};

} // namespace

std::unique_ptr<Output> MakeSilentOutput() {
    return std::make_unique<SilentOutput>();
}

} // namespace music
