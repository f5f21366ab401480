// What the library mixes, read back from the capture it writes: paced like a device on a system
// without one, audible, looping, and mixing its playings together.
#include "Format.h"
#include "Music.h"

#include <mmsystem.h>
#include <tlhelp32.h>

#include <algorithm>

namespace {

using namespace music_test;

constexpr std::size_t kSecond = kRate;
using music::kBlockFrames;

class Capture : public ::testing::Test {
protected:
    driver::ProductFolder folder;
    std::string path = folder.Path("capture.wav");

    // Lets background play run until the capture holds `frames`.
    void PlayUntil(std::size_t frames) {
        ASSERT_TRUE(MIDASok(MIDASstartBackgroundPlay(0)));
        bool reached = driver::WaitUntil([&] { return CapturedFrames(path) >= frames; },
                                         DWORD(frames * 1000 / kRate + 10000));
        EXPECT_TRUE(MIDASok(MIDASstopBackgroundPlay()));
        ASSERT_TRUE(reached) << CapturedFrames(path) << " of " << frames << " frames";
    }

    // The capture of the module at `modulePath` from its first frame on, played `times` at once.
    Wav Record(const std::string& modulePath, bool loop, std::size_t frames, int times = 1) {
        {
            Session session(path);
            MIDASmodule module = MIDASloadModule(modulePath.c_str());
            // Started before background play, every playing begins on the capture's first frame.
            for (int i = 0; i < times; ++i)
                EXPECT_NE(MIDASplayModule(module, loop), 0u);
            PlayUntil(frames);
        }
        return ReadWav(path);
    }
};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

TEST_F(Capture, WithoutADeviceBackgroundPlayKeepsRealTime) {
    if (waveOutGetNumDevs() > 0)
        GTEST_SKIP() << "a wave-out device sets the pace here";
    Session session(path);
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    ASSERT_TRUE(MIDASok(MIDASstartBackgroundPlay(0)));
    Sleep(2000);
    std::size_t frames = CapturedFrames(path);
    QueryPerformanceCounter(&now);
    double elapsed = Seconds(start, now);
    // A device's queue is filled at once: a few blocks ahead, never seconds.
    EXPECT_GT(double(frames), (elapsed - 0.1) * kRate) << elapsed << " s";
    EXPECT_LT(double(frames), (elapsed + 0.07) * kRate + music::kQueuedBlocks * kBlockFrames)
        << elapsed << " s";
    EXPECT_TRUE(MIDASok(MIDASstopBackgroundPlay()));
    Wav wav = ReadWav(path);
    EXPECT_EQ(Rms(wav.samples), 0.0);
}

std::vector<DWORD> ThreadsOfThisProcess() {
    std::vector<DWORD> threads;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            threads.push_back(entry.th32ThreadID);
    CloseHandle(snapshot);
    return threads;
}

// On a small machine busy unpacking, the mixing thread must win the processor when a block is due,
// and the output must hold enough to bridge a late turn: at least 150 ms, queued at once.
TEST_F(Capture, TheMixingThreadRunsAboveNormalAndKeepsAtLeast150MsQueued) {
    Session session(path);
    std::vector<DWORD> before = ThreadsOfThisProcess();
    ASSERT_TRUE(MIDASok(MIDASstartBackgroundPlay(0)));
    // How far the mixing runs ahead of the clock, reckoned from the first block seen.
    LARGE_INTEGER first{}, now;
    double lead = 0;
    for (int i = 0; i < 400; ++i, Sleep(1)) {
        std::size_t frames = CapturedFrames(path);
        QueryPerformanceCounter(&now);
        if (frames == 0)
            continue;
        if (!first.QuadPart)
            first = now;
        lead = std::max(lead, double(frames) / kRate - Seconds(first, now));
    }
    EXPECT_GE(lead, 0.15);
    std::vector<int> started;
    for (DWORD id : ThreadsOfThisProcess()) {
        if (std::find(before.begin(), before.end(), id) != before.end())
            continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, id);
        started.push_back(GetThreadPriority(thread));
        CloseHandle(thread);
    }
    EXPECT_TRUE(MIDASok(MIDASstopBackgroundPlay()));
    // The system may start threads of its own meanwhile; the library's is the one above normal.
    EXPECT_NE(std::find(started.begin(), started.end(), THREAD_PRIORITY_ABOVE_NORMAL), started.end());
}

TEST_F(Capture, AModuleStartedWhileBackgroundPlayRunsIsInTheNextBlock) {
    std::size_t before, after;
    {
        Session session(path);
        MIDASmodule module = MIDASloadModule(DemoModule().c_str());
        ASSERT_TRUE(MIDASok(MIDASstartBackgroundPlay(0)));
        Sleep(300);
        before = CapturedFrames(path);
        ASSERT_NE(MIDASplayModule(module, 1), 0u);
        after = CapturedFrames(path);
        Sleep(300);
        EXPECT_TRUE(MIDASok(MIDASstopBackgroundPlay()));
    }
    Wav wav = ReadWav(path);
    auto first = std::find_if(wav.samples.begin(), wav.samples.end(), [](std::int16_t s) { return s != 0; });
    ASSERT_NE(first, wav.samples.end());
    std::size_t sounding = std::size_t(first - wav.samples.begin()) / 2;
    EXPECT_GE(sounding, before);
    // The block being mixed while the call returned, then the next: the module's first drum hit
    // sounds at once. Queued behind it are only the output's few blocks.
    EXPECT_LE(sounding, after + 2 * kBlockFrames) << "before " << before << ", after " << after;
}

TEST_F(Capture, TheDemoModuleSoundsThroughoutAndStartsAgainAtItsEnd) {
    Wav wav = Record(DemoModule(), true, kDemoLoopFrames + 5 * kSecond / 4);
    for (std::size_t at = 0; at + kSecond / 4 <= kDemoLoopFrames; at += kSecond / 4)
        EXPECT_GT(Rms(wav.Frames(at, kSecond / 4)), 1000.0) << "quiet from frame " << at;

    // After the first row every channel has started afresh, so the second pass is the first again.
    std::size_t from = kSecond / 10;
    auto firstPass = wav.Frames(from, kSecond);
    auto difference = [&](std::size_t offset) {
        auto later = wav.Frames(from + offset, kSecond);
        std::vector<std::int16_t> delta(firstPass.size());
        std::transform(firstPass.begin(), firstPass.end(), later.begin(), delta.begin(),
                       [](std::int16_t a, std::int16_t b) { return std::int16_t(a - b); });
        return Rms(delta);
    };
    double level = Rms(firstPass);
    EXPECT_LT(difference(kDemoLoopFrames), level / 100);
    // Not a module that sounds alike everywhere: half a pass on it is another tune.
    EXPECT_GT(difference(kDemoLoopFrames / 2), level / 2);
}

TEST_F(Capture, AModuleThatDoesNotLoopFallsSilentAtItsEnd) {
    // libxmp's test module plays for some five seconds.
    Wav wav = Record(TestModule(), false, 6 * kSecond + kSecond / 2);
    EXPECT_GT(Rms(wav.Frames(0, kSecond)), 100.0);
    EXPECT_EQ(Rms(wav.Frames(6 * kSecond, kSecond / 2)), 0.0);
}

TEST_F(Capture, PlayingsAtOnceAreAddedUp) {
    Wav once = Record(DemoModule(), true, kSecond / 2);
    Wav twice = Record(DemoModule(), true, kSecond / 2, 2);
    auto alone = once.Frames(0, kSecond / 2);
    auto together = twice.Frames(0, kSecond / 2);
    for (std::size_t i = 0; i < alone.size(); ++i)
        ASSERT_EQ(together[i], std::clamp(2 * alone[i], -32768, 32767)) << "sample " << i;
    EXPECT_GT(Rms(alone), 1000.0);
}

} // namespace
