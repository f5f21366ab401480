// Whole archives through unrar.dll against what a correct extraction gives: the generated sets, and
// libarchive's own samples against what native libarchive makes of them.
#include "UnrarTest.h"

#include "../fixtures/RarBlocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

using namespace unrartest;

namespace {

const char* const kGeneratedSets[] = {"rar5-single",
                                      "rar4-single",
                                      "rar5-parts",
                                      "rar4-parts",
                                      "rar5-old-naming",
                                      "rar4-old-naming",
                                      "rar5-many-parts",
                                      "rar5-short-last-volume",
                                      "rar5-corrupt",
                                      "rar5-hostile",
                                      "rar4-hostile",
                                      "rar5-links",
                                      "rar4-compressed",
                                      "rar4-solid",
                                      "rar4-solid-parts",
                                      "rar4-solid-old-naming",
                                      "rar4-announced-ext-time",
                                      "rar4-same-names",
                                      "demo"};

std::set<std::string> LinesOf(const fs::path& path) {
    std::vector<std::string> lines = ReadLines(path);
    return {lines.begin(), lines.end()};
}

std::string Names(const ArchiveRun& run) {
    std::string out;
    for (const Member& m : run.members)
        out += m.fileName + " -> " + std::to_string(m.result) + "\n";
    return out + "end " + std::to_string(run.end) + "\n";
}

class GeneratedSet : public testing::TestWithParam<const char*> {};

TEST_P(GeneratedSet, ExtractsTheExpectedTreeAndRefusesWhatItMustNot) {
    const fs::path set = Fixtures() / GetParam();
    std::vector<fs::path> volumes = VolumesOf(set);
    ASSERT_FALSE(volumes.empty()) << set;
    // The refused and corrupt lists name members as the archive holds them; headers use '\'.
    auto asHeader = [](std::string name) {
        std::replace(name.begin(), name.end(), '/', '\\');
        return Ansi(FromUtf8(name));
    };
    std::set<std::string> refused, corrupt;
    for (const std::string& name : LinesOf(set.string() + ".refused"))
        refused.insert(asHeader(name));
    for (const std::string& name : LinesOf(set.string() + ".corrupt"))
        corrupt.insert(asHeader(name));

    TempFolder out;
    ArchiveRun run = RunArchive(volumes.front(), out.Path());
    ASSERT_EQ(run.openResult, RarOk);
    EXPECT_EQ(run.end, RarEndOfArchive) << Names(run);
    EXPECT_EQ(Difference(ReadTree(out.Path()), ReadTree(set.string() + ".expected")), "");
    for (const Member& m : run.members) {
        int want = refused.count(m.fileName)   ? RarCannotCreate
                   : corrupt.count(m.fileName) ? RarBadData
                                               : RarOk;
        EXPECT_EQ(m.result, want) << m.fileName;
        // Each header names the volume that holds it, one of the set's.
        EXPECT_TRUE(std::any_of(volumes.begin(), volumes.end(), [&](const fs::path& v) {
            return Ansi(v) == m.arcName;
        })) << m.arcName;
    }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, GeneratedSet, testing::ValuesIn(kGeneratedSets),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// What native libarchive said of one entry of a sample: "TYPE SIZE STATUS PATH [TARGET]".
struct ReportLine {
    std::string type, status, path;
};

std::vector<ReportLine> ReadReport(const fs::path& path) {
    std::vector<ReportLine> lines;
    for (const std::string& text : ReadLines(path)) {
        std::vector<std::string> fields;
        std::istringstream in(text);
        for (std::string field; std::getline(in, field, '\t');)
            fields.push_back(field);
        if (fields.size() >= 3)
            lines.push_back({fields[0], fields[2], fields.size() > 3 ? fields[3] : ""});
    }
    return lines;
}

// A sample split into byte ranges (name_aa, name_ab …) is one archive: joined, it is what the DLL reads.
fs::path ArchiveOf(const fs::path& sample, const fs::path& scratch) {
    std::vector<fs::path> pieces = VolumesOf(sample);
    std::sort(pieces.begin(), pieces.end());
    const std::string first = pieces.front().filename().string();
    if (first.size() < 3 || first.compare(first.size() - 3, 3, "_aa") != 0)
        return VolumesOf(sample).front();
    fs::path joined = scratch / "joined.rar";
    std::ofstream out(joined, std::ios::binary);
    for (const fs::path& piece : pieces)
        out << ReadFile(piece);
    return joined;
}

TEST(LibarchiveSamples, GiveWhatNativeLibarchiveGivesAndReportItsErrors) {
    const fs::path top = Fixtures() / "libarchive";
    ASSERT_TRUE(fs::is_directory(top)) << top;
    int samples = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(top)) {
        const fs::path report = e.path().string() + ".report";
        if (!e.is_directory() || !fs::exists(report) || !fs::exists(e.path().string() + ".expected"))
            continue;
        ++samples;
        SCOPED_TRACE(e.path().filename().string());
        TempFolder scratch;
        fs::create_directory(scratch.Path() / "out");
        ArchiveRun run = RunArchive(ArchiveOf(e.path(), scratch.Path()), scratch.Path() / "out");

        std::vector<ReportLine> lines = ReadReport(report);
        bool completed = !lines.empty() && lines.back().type == "end" && lines.back().status == "ok";
        Tree got = ReadTree(scratch.Path() / "out"), want = ReadTree(e.path().string() + ".expected");
        if (completed) {
            EXPECT_EQ(Difference(got, want), "") << Names(run);
        } else {
            // Native libarchive stopped at its first error; reading goes on here after a bad member,
            // so what it extracted must be here, and more may be.
            for (const auto& [name, bytes] : want)
                EXPECT_TRUE(got.count(name) && got[name] == bytes) << name;
            for (const auto& [name, bytes] : got)
                EXPECT_EQ(name.find(".~unrar"), std::string::npos) << name;
        }
        for (const ReportLine& line : lines) {
            int want = line.status.rfind("error:", 0) == 0                   ? RarBadData
                       : line.status.rfind("unsupported: encrypted", 0) == 0 ? RarPasswordMissing
                                                                             : -1;
            if (want < 0 || line.path.empty() || line.type != "file")
                continue;
            std::string name = line.path;
            std::replace(name.begin(), name.end(), '/', '\\');
            auto member = std::find_if(run.members.begin(), run.members.end(),
                                       [&](const Member& m) { return m.fileName == name; });
            if (member == run.members.end())
                ADD_FAILURE() << "no header for " << name << "\n" << Names(run);
            else if (want == RarBadData && member->result == RarUnknownFormat)
                EXPECT_LT(member->header.UnpVer, 29u)
                    << name; // packed by a RAR older than 2.9, says its header
            else
                EXPECT_EQ(member->result, want) << name;
        }
    }
    EXPECT_GT(samples, 30);
}

// Samples too large to keep extracted are held to the size and CRC of each file native libarchive
// extracts, computed here from the data callback while the DLL tests the members.
TEST(LibarchiveSamples, LargeOnesGiveTheSameBytesAsNativeLibarchive) {
    const fs::path top = Fixtures() / "libarchive";
    int samples = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(top)) {
        const fs::path digests = e.path().string() + ".digests";
        if (!e.is_directory() || !fs::exists(digests))
            continue;
        ++samples;
        SCOPED_TRACE(e.path().filename().string());
        std::map<std::string, std::string> got;
        uint32_t crc = 0;
        uint64_t size = 0;
        RunOptions options;
        options.operation = RarTest;
        options.onVolume = [](char*, int) { return 1; };
        options.onData = [&](const unsigned char* data, int n) {
            crc = rarblocks::Crc32(reinterpret_cast<const char*>(data), size_t(n), crc);
            size += size_t(n);
        };
        options.onMember = [&](const Member& m) {
            char line[64];
            snprintf(line, sizeof line, "%08x\t%llu", unsigned(crc), static_cast<unsigned long long>(size));
            std::string name = m.fileName;
            std::replace(name.begin(), name.end(), '\\', '/');
            if (m.result == RarOk && (m.header.Flags & RarDirectory) != RarDirectory)
                got[name] = line;
            crc = 0;
            size = 0;
        };
        TempFolder scratch;
        ArchiveRun run = RunArchive(ArchiveOf(e.path(), scratch.Path()), {}, options);
        EXPECT_EQ(run.end, RarEndOfArchive);
        for (const std::string& line : ReadLines(digests)) {
            size_t tab = line.rfind('\t');
            EXPECT_EQ(got[line.substr(tab + 1)], line.substr(0, tab)) << line;
        }
    }
    EXPECT_GE(samples, 1);
}

// The data callback is the caller's view of the extraction: every byte once, in archive order,
// whether the member is written or only tested.
TEST(DataCallback, SeesEveryByteOnceInOrderForExtractAndTest) {
    const fs::path set = Fixtures() / "rar5-parts";
    for (int operation : {RarExtract, RarTest}) {
        SCOPED_TRACE(operation);
        TempFolder out;
        std::string seen;
        int calls = 0;
        RunOptions options;
        options.operation = operation;
        options.onData = [&](const unsigned char* data, int size) {
            ++calls;
            EXPECT_GT(size, 0);
            seen.append(reinterpret_cast<const char*>(data), size_t(size));
        };
        ArchiveRun run = RunArchive(VolumesOf(set).front(), out.Path(), options);
        ASSERT_EQ(run.end, RarEndOfArchive);

        std::string want;
        const Tree expected = ReadTree(set.string() + ".expected");
        for (const Member& m : run.members) {
            EXPECT_EQ(m.result, RarOk) << m.fileName;
            std::string name = m.fileName;
            std::replace(name.begin(), name.end(), '\\', '/');
            auto it = std::find_if(expected.begin(), expected.end(),
                                   [&](const auto& entry) { return Ansi(FromUtf8(entry.first)) == name; });
            ASSERT_NE(it, expected.end()) << name;
            if (it->second != "<dir>")
                want += it->second;
        }
        EXPECT_EQ(seen.size(), want.size());
        EXPECT_TRUE(seen == want);
        EXPECT_GT(calls, int(run.members.size() / 2));
        // Testing reads and checks; it writes nothing.
        EXPECT_EQ(ReadTree(out.Path()).empty(), operation == RarTest);
    }
}

// In a solid archive every member goes on from the ones before: skipping one must still leave the
// next one right, in one volume and across volumes.
TEST(Solid, SkippedMembersLeaveTheOthersWhole) {
    for (const char* name : {"rar4-solid", "rar4-solid-parts", "rar4-solid-old-naming"}) {
        SCOPED_TRACE(name);
        const fs::path set = Fixtures() / name;
        Tree want = ReadTree(set.string() + ".expected");
        int files = 0;
        std::set<std::string> skipped;
        RunOptions options;
        options.onVolume = [](char*, int) { return 1; };
        options.operationOf = [&](const std::string& fileName) {
            std::string path = fileName;
            std::replace(path.begin(), path.end(), '\\', '/');
            auto it = want.find(path);
            if (it == want.end() || it->second == "<dir>" || files++ % 2 == 1)
                return int(RarExtract);
            skipped.insert(path);
            return int(RarSkip);
        };
        TempFolder out;
        ArchiveRun run = RunArchive(VolumesOf(set).front(), out.Path(), options);
        EXPECT_EQ(run.end, RarEndOfArchive);
        for (const Member& m : run.members)
            EXPECT_EQ(m.result, RarOk) << m.fileName;
        EXPECT_GT(skipped.size(), 2u);
        for (const std::string& path : skipped)
            want.erase(path);
        EXPECT_EQ(Difference(ReadTree(out.Path()), want), "");
    }
}

TEST(Operations, SkipReadsNothingAndTestFindsTheCorruptMember) {
    const fs::path set = Fixtures() / "rar5-corrupt";
    TempFolder out;
    RunOptions skip;
    skip.operation = RarSkip;
    skip.onData = [](const unsigned char*, int) { ADD_FAILURE() << "data while skipping"; };
    ArchiveRun skipped = RunArchive(VolumesOf(set).front(), out.Path(), skip);
    EXPECT_EQ(skipped.end, RarEndOfArchive);
    EXPECT_EQ(skipped.members.size(), 3u);
    for (const Member& m : skipped.members)
        EXPECT_EQ(m.result, RarOk) << m.fileName;

    RunOptions test;
    test.operation = RarTest;
    ArchiveRun tested = RunArchive(VolumesOf(set).front(), out.Path(), test);
    EXPECT_EQ(tested.end, RarEndOfArchive);
    EXPECT_EQ(OutcomesOf(tested),
              (Outcomes{{"first.txt", RarOk}, {"middle.bin", RarBadData}, {"last.txt", RarOk}}));
    EXPECT_TRUE(ReadTree(out.Path()).empty());
}

} // namespace
