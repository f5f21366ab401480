// Volume sets with a volume that is not there yet: asking for it through the callback, being told
// of each volume opened, and ending cleanly when the caller gives up.
#include "UnrarTest.h"

#include <gtest/gtest.h>

using namespace unrartest;

namespace {

struct Call {
    std::string name;
    int mode;
};

// A set copied into a scratch folder without one of its volumes, which is held aside.
class SetWithoutVolume {
public:
    SetWithoutVolume(const char* set, size_t missing) {
        fs::create_directories(scratch.Path() / "set");
        fs::create_directories(scratch.Path() / "aside");
        fs::create_directories(scratch.Path() / "out");
        for (const fs::path& v : VolumesOf(Fixtures() / set)) {
            fs::path to = scratch.Path() / (volumes.size() == missing ? "aside" : "set") / v.filename();
            fs::copy_file(v, to);
            volumes.push_back(scratch.Path() / "set" / v.filename());
        }
        this->missing = volumes[missing];
        held = scratch.Path() / "aside" / this->missing.filename();
        expected = Fixtures() / (std::string(set) + ".expected");
    }
    void PutBack() { fs::copy_file(held, missing); }

    TempFolder scratch;
    std::vector<fs::path> volumes;
    fs::path missing, held, expected;
    fs::path Out() const { return scratch.Path() / "out"; }
};

class MissingVolume : public testing::TestWithParam<const char*> {};

TEST_P(MissingVolume, IsAskedForUntilGivenAndEveryVolumeOpenedIsAnnounced) {
    SetWithoutVolume set(GetParam(), 1);
    ASSERT_GE(set.volumes.size(), 3u);
    std::vector<Call> calls;
    RunOptions options;
    options.onVolume = [&](char* arcName, int mode) {
        calls.push_back({arcName, mode});
        size_t asks = 0;
        for (const Call& c : calls)
            asks += c.mode == RarVolumeAsk;
        if (mode == RarVolumeAsk && asks == 2)
            set.PutBack();
        return 1;
    };
    ArchiveRun run = RunArchive(set.volumes.front(), set.Out(), options);
    EXPECT_EQ(run.end, RarEndOfArchive);
    EXPECT_EQ(Difference(ReadTree(set.Out()), ReadTree(set.expected)), "");

    // Two asks for the missing volume, by its full path, then one notice per volume after the first
    // in order, and nothing about a volume past the last.
    std::vector<Call> want = {{Ansi(set.missing), RarVolumeAsk}, {Ansi(set.missing), RarVolumeAsk}};
    for (size_t i = 1; i < set.volumes.size(); ++i)
        want.push_back({Ansi(set.volumes[i]), RarVolumeOpened});
    ASSERT_EQ(calls.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(calls[i].name, want[i].name) << i;
        EXPECT_EQ(calls[i].mode, want[i].mode) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(BothSchemes, MissingVolume, testing::Values("rar5-parts", "rar4-old-naming"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param[3] == '5' ? "rar5_parts" : "rar4_old_naming");
                         });

// Giving up, on an ask or on a notice, ends the run with "cannot open" and leaves no partial file.
TEST(MissingVolume, AnAnswerOfGivingUpEndsTheRun) {
    for (int giveUpOn : {RarVolumeAsk, RarVolumeOpened}) {
        for (int answer : {-1, 0}) {
            SCOPED_TRACE(std::to_string(giveUpOn) + " " + std::to_string(answer));
            SetWithoutVolume set("rar5-parts", 1);
            if (giveUpOn == RarVolumeOpened)
                set.PutBack();
            RunOptions options;
            options.onVolume = [&](char*, int mode) { return mode == giveUpOn ? answer : 1; };
            ArchiveRun run = RunArchive(set.volumes.front(), set.Out(), options);
            EXPECT_EQ(run.end, RarCannotOpen);
            ASSERT_FALSE(run.members.empty());
            // The member that runs into the next volume is the one that fails.
            EXPECT_EQ(run.members.back().result, RarCannotOpen);
            for (const auto& [name, bytes] : ReadTree(set.Out()))
                EXPECT_EQ(name.find(".~unrar"), std::string::npos) << name;
        }
    }
}

TEST(MissingVolume, EndsTheRunWithoutACallback) {
    SetWithoutVolume set("rar4-parts", 2);
    RunOptions options;
    options.onVolume = [](char*, int mode) { return mode == RarVolumeAsk ? -1 : 1; };
    ArchiveRun run = RunArchive(set.volumes.front(), set.Out(), options);
    EXPECT_EQ(run.end, RarCannotOpen);
}

// A file under the next volume's name that is not that volume, a later volume of the set or one of
// another set, is not taken: the volume is asked for until the right one is there.
TEST(MissingVolume, AStaleOrForeignFileUnderItsNameIsAskedForAgain) {
    const fs::path foreign = VolumesOf(Fixtures() / "rar4-solid-parts")[1];
    for (int stale : {0, 1}) {
        SCOPED_TRACE(stale);
        SetWithoutVolume set("rar4-old-naming", 1);
        fs::copy_file(stale ? set.volumes[2] : foreign, set.missing);
        int asks = 0;
        RunOptions options;
        options.onVolume = [&](char* arcName, int mode) {
            if (mode == RarVolumeAsk && ++asks == 1) {
                EXPECT_EQ(arcName, Ansi(set.missing));
                fs::remove(set.missing);
                set.PutBack();
            }
            return 1;
        };
        ArchiveRun run = RunArchive(set.volumes.front(), set.Out(), options);
        EXPECT_EQ(asks, 1);
        EXPECT_EQ(run.end, RarEndOfArchive);
        EXPECT_EQ(Difference(ReadTree(set.Out()), ReadTree(set.expected)), "");
    }
}

// The caller may answer an ask with where the volume is instead.
TEST(MissingVolume, IsTakenFromWhereTheCallerSaysItIs) {
    SetWithoutVolume set("rar5-old-naming", 2);
    std::string elsewhere = Ansi(set.held);
    std::vector<Call> calls;
    RunOptions options;
    options.onVolume = [&](char* arcName, int mode) {
        calls.push_back({arcName, mode});
        if (mode == RarVolumeAsk)
            strcpy(arcName, elsewhere.c_str());
        // The moved volume is taken once; given again for the next one, it is not.
        return calls.size() < 20 ? 1 : -1;
    };
    ArchiveRun run = RunArchive(set.volumes.front(), set.Out(), options);
    EXPECT_EQ(run.end, RarEndOfArchive);
    EXPECT_EQ(Difference(ReadTree(set.Out()), ReadTree(set.expected)), "");
    // Asked once, by the name it had, and opened where it was said to be; the volume after it is
    // found beside the others.
    std::vector<Call> want = {{Ansi(set.volumes[1]), RarVolumeOpened},
                              {Ansi(set.missing), RarVolumeAsk},
                              {elsewhere, RarVolumeOpened}};
    for (size_t i = 3; i < set.volumes.size(); ++i)
        want.push_back({Ansi(set.volumes[i]), RarVolumeOpened});
    ASSERT_EQ(calls.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(calls[i].name, want[i].name) << i;
        EXPECT_EQ(calls[i].mode, want[i].mode) << i;
    }
}

} // namespace
