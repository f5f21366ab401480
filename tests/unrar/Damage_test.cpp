// Damaged and cut-off archives, as a bad medium or a broken download gives them: whatever is lost,
// the run must say so, and what it reports as extracted must be whole.
#include "UnrarTest.h"

#include "../fixtures/RarBlocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>

using namespace unrartest;
using rarblocks::Block;
using rarblocks::Blocks;

namespace {

// Where a volume is worth cutting: inside the signature, at and inside every header, and inside
// every block's data.
std::vector<size_t> CutPoints(const std::string& volume) {
    std::set<size_t> cuts{3};
    for (const Block& b : Blocks(volume)) {
        for (size_t inside : {size_t(0), size_t(1), b.headerSize / 2, b.headerSize - 1})
            cuts.insert(b.offset + inside);
        if (b.dataSize > 0)
            cuts.insert(b.offset + b.headerSize + b.dataSize / 2);
    }
    std::vector<size_t> points;
    for (size_t cut : cuts) {
        if (cut > 0 && cut < volume.size())
            points.push_back(cut);
    }
    return points;
}

bool IsBlockStart(const std::string& volume, size_t offset) {
    for (const Block& b : Blocks(volume)) {
        if (b.offset == offset)
            return true;
    }
    return false;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string Describe(const ArchiveRun& run) {
    std::string out;
    for (const Member& m : run.members)
        out += m.fileName + " -> " + std::to_string(m.result) + "\n";
    for (int code : run.headerErrors)
        out += "header " + std::to_string(code) + "\n";
    return out;
}

class CutArchive : public testing::TestWithParam<const char*> {};

// Every volume of the set is cut in turn at every point worth cutting. A run that reports no failure
// must have extracted everything; whatever it reports as extracted is whole; reading ends.
TEST_P(CutArchive, NeverPassesForCompleteAndKeepsOnlyWholeFiles) {
    const fs::path set = Fixtures() / GetParam();
    const std::vector<fs::path> volumes = VolumesOf(set);
    ASSERT_FALSE(volumes.empty());
    const Tree expected = ReadTree(set.string() + ".expected");
    const bool single = volumes.size() == 1;
    int runs = 0;
    for (size_t cutVolume = 0; cutVolume < volumes.size(); ++cutVolume) {
        const std::string whole = ReadFile(volumes[cutVolume]);
        for (size_t cut : CutPoints(whole)) {
            SCOPED_TRACE(volumes[cutVolume].filename().string() + " cut at " + std::to_string(cut));
            TempFolder scratch;
            fs::create_directories(scratch.Path() / "in");
            fs::create_directories(scratch.Path() / "out");
            for (const fs::path& v : volumes)
                WriteFile(scratch.Path() / "in" / v.filename(),
                          v == volumes[cutVolume] ? whole.substr(0, cut) : ReadFile(v));
            RunOptions options;
            options.readsPastErrors = 8;
            ArchiveRun run =
                RunArchive(scratch.Path() / "in" / volumes[0].filename(), scratch.Path() / "out", options);
            ++runs;

            const Tree got = ReadTree(scratch.Path() / "out");
            for (const auto& [name, bytes] : got) {
                auto want = expected.find(name);
                ASSERT_TRUE(want != expected.end()) << "unexpected: " << name;
                EXPECT_TRUE(want->second == bytes) << "not whole: " << name;
            }
            bool failed = run.openResult != RarOk ||
                          (!run.headerErrors.empty() && run.headerErrors.front() != RarEndOfArchive);
            for (const Member& m : run.members)
                failed = failed || m.result != RarOk;
            // Older RAR 4 archives may end without an end header, so one cut between two blocks
            // cannot be told from a whole archive.
            bool cleanCut = single && whole[6] == 0 && IsBlockStart(whole, cut);
            if (!failed && !cleanCut) {
                EXPECT_EQ(Difference(got, expected), "") << Describe(run);
            }
            // Damage is reported once and then the archive ends; a volume that cannot be had
            // stays missing.
            const std::vector<int>& errors = run.headerErrors;
            if (run.openResult == RarOk && errors.back() != RarEndOfArchive) {
                ASSERT_GE(errors.size(), 2u);
                EXPECT_NE(errors.back(), RarBadData) << Describe(run);
                EXPECT_EQ(errors.back(), errors[errors.size() - 2]) << Describe(run);
            }
            EXPECT_LE(std::count(errors.begin(), errors.end(), RarBadData), 2) << Describe(run);
            if (HasFailure())
                return;
        }
    }
    EXPECT_GT(runs, 10);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CutArchive,
                         testing::Values("rar5-single", "rar4-single", "rar5-parts", "rar4-old-naming",
                                         "rar5-short-last-volume", "rar4-solid", "rar4-solid-parts"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// A header that cannot be read is reported once; reading then goes on where it can and ends.
TEST(DamagedHeader, IsReportedOnceAndThenTheArchiveEnds) {
    const fs::path first = VolumesOf(Fixtures() / "rar5-single").front();
    std::string bytes = ReadFile(first);
    std::vector<Block> blocks = Blocks(bytes);
    ASSERT_GT(blocks.size(), 5u);
    // The fourth member's header: its CRC no longer fits.
    bytes[blocks[5].offset + blocks[5].headerSize - 1] ^= 0x5A;
    TempFolder scratch;
    WriteFile(scratch.Path() / "set.rar", bytes);
    RunOptions options;
    options.readsPastErrors = 64;
    ArchiveRun run = RunArchive(scratch.Path() / "set.rar", {}, options);
    EXPECT_EQ(run.members.size(), 3u) << Describe(run);
    EXPECT_EQ(run.headerErrors, (std::vector<int>{RarBadData, RarEndOfArchive})) << Describe(run);
}

// A member packed by RAR 1.5 to 2.x is said to be of a version that cannot be unpacked, not corrupt.
TEST(OldMethods, AreReportedAsUnknownNotAsDamage) {
    const fs::path first = VolumesOf(Fixtures() / "rar4-single").front();
    std::string bytes = ReadFile(first);
    std::vector<Block> blocks = Blocks(bytes);
    ASSERT_GT(blocks.size(), 3u);
    rarblocks::SetRar4Method(bytes, blocks[2], 20, 0x33); // readme.txt, the first member
    TempFolder scratch;
    fs::create_directories(scratch.Path() / "out");
    WriteFile(scratch.Path() / "set.rar", bytes);
    for (int operation : {RarExtract, RarTest, RarSkip}) {
        SCOPED_TRACE(operation);
        RunOptions options;
        options.operation = operation;
        ArchiveRun run = RunArchive(scratch.Path() / "set.rar", scratch.Path() / "out", options);
        EXPECT_EQ(run.end, RarEndOfArchive);
        ASSERT_GT(run.members.size(), 3u);
        EXPECT_EQ(run.members[0].fileName, "readme.txt");
        EXPECT_EQ(run.members[0].header.UnpVer, 20u);
        EXPECT_EQ(run.members[0].result, operation == RarSkip ? RarOk : RarUnknownFormat);
        for (size_t i = 1; i < run.members.size(); ++i)
            EXPECT_EQ(run.members[i].result, RarOk) << run.members[i].fileName;
    }
    Tree want = ReadTree(first.parent_path().string() + ".expected");
    want.erase("readme.txt");
    EXPECT_EQ(Difference(ReadTree(scratch.Path() / "out"), want), "");
}

// An archive of RAR 1.5 to 2.x with its comment in the main header: every member is read, each packed
// one of a version that cannot be unpacked; the comment comes as comments do.
TEST(OldMethods, AnOldArchiveWithItsCommentOpens) {
    const fs::path set = Fixtures() / "rar4-old-comment";
    TempFolder out;
    ArchiveRun run = RunArchive(VolumesOf(set).front(), out.Path());
    EXPECT_EQ(run.openResult, RarOk);
    EXPECT_EQ(run.headerErrors, std::vector<int>{RarEndOfArchive}) << Describe(run);
    EXPECT_EQ(OutcomesOf(run), (Outcomes{{"readme.txt", RarUnknownFormat},
                                         {"data", RarOk},
                                         {"data\\level.dat", RarUnknownFormat},
                                         {"empty.txt", RarOk},
                                         {"notes.txt", RarUnknownFormat}}));
    EXPECT_EQ(Difference(ReadTree(out.Path()), ReadTree(set.string() + ".expected")), "");
    EXPECT_EQ(run.commentState, 1u);
    EXPECT_EQ(run.comment, ReadFile(set.string() + ".comment"));
}

// RAR 1.5 to 2.x keep a file's security data, streams or extended attributes in a block after it,
// and may close the archive with a recovery record; their CRC covers their header alone. No member
// beside them is lost, and the archive ends as a whole one does.
TEST(OldMethods, BlocksBesideFilesHideNoMember) {
    const fs::path set = Fixtures() / "rar4-old-blocks";
    for (int operation : {RarExtract, RarTest}) {
        SCOPED_TRACE(operation);
        TempFolder out;
        RunOptions options;
        options.operation = operation;
        ArchiveRun run = RunArchive(VolumesOf(set).front(), out.Path(), options);
        EXPECT_EQ(run.headerErrors, std::vector<int>{RarEndOfArchive}) << Describe(run);
        EXPECT_EQ(OutcomesOf(run), (Outcomes{{"readme.txt", RarUnknownFormat},
                                             {"data", RarOk},
                                             {"data\\level.dat", RarUnknownFormat},
                                             {"empty.txt", RarOk},
                                             {"notes.txt", RarUnknownFormat}}));
        if (operation == RarExtract) {
            EXPECT_EQ(Difference(ReadTree(out.Path()), ReadTree(set.string() + ".expected")), "");
        }
    }
}

// A data callback that answers 0 or less stops the member at once: no more blocks, nothing of it
// written, an error for it; the run may go on with the next member.
TEST(DataCallback, ANonPositiveAnswerStopsTheMemberAtOnce) {
    const fs::path set = Fixtures() / "rar5-many-parts";
    for (int answer : {0, -1}) {
        SCOPED_TRACE(answer);
        TempFolder out;
        int blocks = 0;
        RunOptions options;
        options.onData = [&](const unsigned char*, int) { ++blocks; };
        options.dataAnswer = [&] { return blocks == 1 ? answer : 1; };
        options.onVolume = [](char*, int) { return 1; };
        ArchiveRun run = RunArchive(VolumesOf(set).front(), out.Path(), options);
        EXPECT_EQ(run.end, RarEndOfArchive);
        // The first member is small: its one block is the one answered.
        EXPECT_EQ(OutcomesOf(run),
                  (Outcomes{{"first.txt", RarAborted}, {"stream.bin", RarOk}, {"last.txt", RarOk}}));
        Tree want = ReadTree(set.string() + ".expected");
        want.erase("first.txt");
        EXPECT_EQ(Difference(ReadTree(out.Path()), want), "");
    }

    // A large member stopped at its first block: no second block, no file, no partial file.
    TempFolder out;
    int blocks = 0;
    RunOptions options;
    options.onData = [&](const unsigned char*, int) { ++blocks; };
    options.dataAnswer = [&] { return blocks == 2 ? 0 : 1; };
    options.onVolume = [](char*, int) { return 1; };
    ArchiveRun run = RunArchive(VolumesOf(set).front(), out.Path(), options);
    ASSERT_EQ(run.members.size(), 3u);
    EXPECT_EQ(run.members[1].result, RarAborted);
    EXPECT_EQ(blocks, 3); // first.txt's one block, stream.bin's first, last.txt's one
    EXPECT_EQ(ReadTree(out.Path()).count("stream.bin"), 0u);
    EXPECT_EQ(ReadTree(out.Path()).size(), 2u);
}

// The handle is refused, never followed, from inside its own callbacks and after it is closed.
RarHandle busyHandle = nullptr;
std::vector<int> busyAnswers;

int CALLBACK CallBackIntoTheLibrary(unsigned char*, int) {
    RARHeaderData header{};
    busyAnswers.push_back(RARReadHeader(busyHandle, &header));
    busyAnswers.push_back(RARProcessFile(busyHandle, RarSkip, nullptr, nullptr));
    busyAnswers.push_back(RARCloseArchive(busyHandle));
    RARSetProcessDataProc(busyHandle, nullptr); // ignored: the callback is running
    return 1;
}

TEST(Handles, AreRefusedWhileBusyAndAfterClose) {
    const fs::path first = VolumesOf(Fixtures() / "rar5-parts").front();
    RarHandle handle = OpenForExtraction(first);
    ASSERT_NE(handle, nullptr);
    busyHandle = handle;
    busyAnswers.clear();
    RARSetProcessDataProc(handle, CallBackIntoTheLibrary);
    RARHeaderData header{};
    int result = RarOk;
    while ((result = RARReadHeader(handle, &header)) == RarOk)
        ASSERT_EQ(RARProcessFile(handle, RarTest, nullptr, nullptr), RarOk);
    EXPECT_EQ(result, RarEndOfArchive);
    ASSERT_FALSE(busyAnswers.empty());
    for (int answer : busyAnswers)
        EXPECT_EQ(answer, RarUnknown);
    EXPECT_EQ(RARCloseArchive(handle), RarOk);
    EXPECT_EQ(RARCloseArchive(handle), RarUnknown);
    EXPECT_EQ(RARReadHeader(handle, &header), RarUnknown);
    EXPECT_EQ(RARProcessFile(handle, RarSkip, nullptr, nullptr), RarUnknown);
    RARSetPassword(handle, nullptr);
}

} // namespace
