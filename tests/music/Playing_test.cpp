// Modules loaded, described, played, stopped and freed, and everything released by a close.
#include "Music.h"

#include <cstring>

namespace {

using music::ErrorCode;
using namespace music_test;

// Bytes the process's heaps have handed out and not taken back.
std::size_t HeapBytesInUse() {
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 8);
    heaps.resize(GetProcessHeaps(DWORD(heaps.size()), heaps.data()));
    std::size_t total = 0;
    for (HANDLE heap : heaps) {
        HeapLock(heap);
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heap, &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heap);
    }
    return total;
}

struct Expected {
    std::string path;
    std::string name;
    std::uint32_t length, patterns, channels, instruments;
};

TEST(Playing, ModulesOfTwoFormatsLoadPlayStopAndFree) {
    // What the demo's generator wrote, and what libxmp's test module holds (xmp -i tells the same).
    std::vector<Expected> modules = {
        {DemoModule(), "korvadel theme", 1, 1, 4, 31},
        {TestModule(), "test", 3, 1, 3, 3},
    };
    Session session;
    for (const Expected& expected : modules) {
        MIDASmodule module = MIDASloadModule(expected.path.c_str());
        ASSERT_NE(module, 0u) << expected.path << ": " << MIDASgetErrorMessage(MIDASgetLastError());
        MIDASmoduleInfo info;
        std::memset(&info, 0x55, sizeof info);
        ASSERT_TRUE(MIDASok(MIDASgetModuleInfo(module, &info)));
        EXPECT_EQ(std::string(info.name, strnlen(info.name, sizeof info.name)), expected.name);
        EXPECT_EQ(info.name[sizeof info.name - 1], '\0');
        EXPECT_EQ(info.length, expected.length);
        EXPECT_EQ(info.patterns, expected.patterns);
        EXPECT_EQ(info.channels, expected.channels);
        EXPECT_EQ(info.instruments, expected.instruments);

        MIDASmodulePlayHandle playing = MIDASplayModule(module, 1);
        ASSERT_NE(playing, 0u);
        EXPECT_NE(playing, module);
        EXPECT_TRUE(MIDASok(MIDASstartBackgroundPlay(0)));
        Sleep(200);
        EXPECT_TRUE(MIDASok(MIDASstopModule(playing)));
        EXPECT_TRUE(MIDASok(MIDASstopBackgroundPlay()));
        EXPECT_TRUE(MIDASok(MIDASfreeModule(module)));
    }
}

// One run of the installer, ended by its failure report: the modules are neither stopped nor freed,
// and background play is still running at the close.
std::pair<MIDASmodule, MIDASmodulePlayHandle> RunLikeTheInstaller() {
    EXPECT_TRUE(MIDASok(MIDASinit()));
    EXPECT_TRUE(MIDASok(MIDASstartBackgroundPlay(0)));
    MIDASmodule module = MIDASloadModule(TestModule().c_str());
    MIDASmodulePlayHandle playing = MIDASplayModule(module, 1);
    EXPECT_NE(playing, 0u);
    EXPECT_NE(MIDASplayModule(MIDASloadModule(DemoModule().c_str()), 1), 0u);
    Sleep(50);
    EXPECT_TRUE(MIDASok(MIDASclose()));
    return {module, playing};
}

TEST(Playing, CloseReleasesModulesThatStillPlay) {
    auto [module, playing] = RunLikeTheInstaller();
    std::size_t inUse = HeapBytesInUse();
    for (int run = 0; run < 5; ++run)
        RunLikeTheInstaller();
    // A module left behind would hold its samples and a player: hundreds of kilobytes a run.
    EXPECT_LT(HeapBytesInUse(), inUse + 16 * 1024) << "before: " << inUse;

    // The handles of a closed session mean nothing to the next one, nor does its background play.
    Session session;
    EXPECT_FALSE(MIDASok(MIDASstopBackgroundPlay()));
    EXPECT_EQ(LastError(), ErrorCode::BackgroundPlayNotRunning);
    EXPECT_FALSE(MIDASok(MIDASfreeModule(module)));
    EXPECT_EQ(LastError(), ErrorCode::BadModuleHandle);
    EXPECT_FALSE(MIDASok(MIDASstopModule(playing)));
    EXPECT_EQ(LastError(), ErrorCode::BadPlayHandle);
    MIDASmodule again = MIDASloadModule(TestModule().c_str());
    EXPECT_NE(again, 0u);
    EXPECT_NE(again, module);
}

} // namespace
