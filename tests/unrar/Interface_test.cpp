// The interface's records and codes: opening, comments, headers, passwords, destinations, and the
// files already in the destination.
#include "UnrarTest.h"

#include "../fixtures/RarBlocks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>
#include <utility>

using namespace unrartest;

namespace {

int OpenResult(const fs::path& path) {
    int result = RarOk;
    RarHandle handle = OpenForExtraction(path, &result);
    EXPECT_EQ(handle == nullptr, result != RarOk);
    if (handle)
        RARCloseArchive(handle);
    return result;
}

// A file's bytes, or "<dir>", by a path std::filesystem cannot take.
std::string ReadLong(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return "<missing>";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return "<dir>";
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes;
    char block[65536];
    DWORD read = 0;
    while (ReadFile(file, block, sizeof block, &read, nullptr) && read > 0)
        bytes.append(block, read);
    CloseHandle(file);
    return bytes;
}

void RemoveLong(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveLong(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(Open, SaysWhyAnArchiveCannotBeRead) {
    TempFolder scratch;
    EXPECT_EQ(OpenResult(scratch.Path() / "missing.rar"), RarCannotOpen);
    Write(scratch.Path() / "text.rar", "this is not an archive at all\r\n");
    EXPECT_EQ(OpenResult(scratch.Path() / "text.rar"), RarBadArchive);
    Write(scratch.Path() / "empty.rar", "");
    EXPECT_EQ(OpenResult(scratch.Path() / "empty.rar"), RarBadArchive);
    Write(scratch.Path() / "future.rar", std::string("Rar!\x1a\x07\x02\x00", 8) + std::string(64, '\0'));
    EXPECT_EQ(OpenResult(scratch.Path() / "future.rar"), RarUnknownFormat);
    // A volume set's main header cut short.
    std::string first = ReadFile(VolumesOf(Fixtures() / "rar5-parts").front());
    Write(scratch.Path() / "cut.rar", first.substr(0, 12));
    EXPECT_EQ(OpenResult(scratch.Path() / "cut.rar"), RarBadArchive);
    EXPECT_EQ(OpenResult(VolumesOf(Fixtures() / "rar4-single").front()), RarOk);
}

TEST(Comment, IsCopiedCutToTheBufferOrReportedAbsent) {
    const fs::path rar5 = VolumesOf(Fixtures() / "rar5-parts").front();
    // RAR 5 comments are UTF-8 and come in the system code page; RAR 4 ones come as stored.
    const std::string text5 = Ansi(FromUtf8(ReadFile(Fixtures() / "rar5-parts.comment")));
    const std::string text4 = ReadFile(Fixtures() / "rar4-parts.comment");

    ArchiveRun full = RunArchive(rar5, {});
    EXPECT_EQ(full.commentState, 1u);
    EXPECT_EQ(full.comment, text5);
    ArchiveRun four = RunArchive(VolumesOf(Fixtures() / "rar4-parts").front(), {});
    EXPECT_EQ(four.commentState, 1u);
    EXPECT_EQ(four.comment, text4);

    RunOptions small;
    small.commentRoom = 8;
    ArchiveRun cut = RunArchive(rar5, {}, small);
    EXPECT_EQ(cut.commentState, unsigned(RarBufferTooSmall));
    EXPECT_EQ(cut.comment, text5.substr(0, 7));

    ArchiveRun none = RunArchive(VolumesOf(Fixtures() / "rar5-single").front(), {});
    EXPECT_EQ(none.commentState, 0u);
    EXPECT_EQ(none.comment, "");
}

TEST(Header, DescribesMembersAsTheArchiveHoldsThem) {
    const fs::path set = Fixtures() / "rar5-parts";
    std::vector<fs::path> volumes = VolumesOf(set);
    RunOptions skip;
    skip.operation = RarSkip;
    ArchiveRun run = RunArchive(volumes.front(), {}, skip);
    ASSERT_EQ(run.end, RarEndOfArchive);
    auto find = [&](const std::string& name) -> const Member& {
        static Member none{};
        auto it = std::find_if(run.members.begin(), run.members.end(),
                               [&](const Member& m) { return m.fileName == name; });
        EXPECT_NE(it, run.members.end()) << name;
        return it == run.members.end() ? none : *it;
    };
    const Member& big = find("data\\big.bin");
    std::string bigBytes = ReadFile(set.string() + ".expected/data/big.bin");
    EXPECT_EQ(big.header.UnpSize, bigBytes.size());
    EXPECT_EQ(big.header.Flags & (RarContinuedBefore | RarContinuedAfter), unsigned(RarContinuedAfter));
    EXPECT_LT(big.header.PackSize, big.header.UnpSize); // this volume's part only
    EXPECT_EQ(big.header.Method, 0x30u);
    EXPECT_EQ(find("data").header.Flags & RarDirectory, unsigned(RarDirectory));
    EXPECT_EQ(find("data\\levels\\level1.dat").header.Flags & RarDirectory, 0u);
    // Members whose headers are in later volumes name those volumes.
    EXPECT_EQ(run.members.front().arcName, Ansi(volumes.front()));
    EXPECT_EQ(big.arcName, Ansi(volumes.front()));
    EXPECT_NE(find("data\\tail.bin").arcName, Ansi(volumes.front()));
}

// A name on NTFS may hold a surrogate without its pair, which libarchive cannot convert: the member
// keeps the name RAR 4's Unicode form gives it and is read like any other.
TEST(Header, ARar4NameWithAnUnpairedSurrogateIsKept) {
    // Ünïcødé\日本.txt by its narrow part; a shared high byte of 0xD8 makes 日 (0x65E5) 0xD8E5.
    const std::string narrow = "_n_c_d_\\__.txt";
    TempFolder scratch;
    std::vector<fs::path> copies;
    int changed = 0;
    for (const fs::path& volume : VolumesOf(Fixtures() / "rar4-parts")) {
        std::string bytes = ReadFile(volume);
        for (const rarblocks::Block& b : rarblocks::Blocks(bytes)) {
            if (bytes[b.offset + 2] == 0x74 &&
                bytes.compare(b.offset + 32, narrow.size() + 1, narrow + '\0') == 0) {
                bytes[b.offset + 32 + narrow.size() + 1] = char(0xD8);
                rarblocks::RefitRar4Crc(bytes, b);
                ++changed;
            }
        }
        copies.push_back(scratch.Path() / volume.filename());
        std::ofstream(copies.back(), std::ios::binary) << bytes;
    }
    ASSERT_EQ(changed, 1);
    RunOptions test;
    test.operation = RarTest;
    ArchiveRun run = RunArchive(copies.front(), {}, test);
    EXPECT_EQ(run.end, RarEndOfArchive);
    const std::string name = Ansi(std::wstring(L"\u00dcn\u00efc\u00f8d\u00e9\\\xd8e5\u672c.txt"));
    EXPECT_EQ(std::count_if(run.members.begin(), run.members.end(),
                            [&](const Member& m) { return m.fileName == name && m.result == RarOk; }),
              1)
        << "no member " << name;
}

// A member of 4 GiB or more has sizes its record's 32-bit fields cannot hold: they hold the most they
// can, so that a progress range is never smaller than what flows, and the member is read whole.
TEST(Header, SizesPast32BitsAreTheMostTheFieldsHold) {
    const uint64_t hugeSize = (uint64_t(4) << 30) + (4 << 20);
    for (const std::string set : {"rar5-huge", "rar4-huge"}) {
        SCOPED_TRACE(set);
        const fs::path first = VolumesOf(Fixtures() / set).front();
        TempFolder out;
        RunOptions skip;
        skip.operationOf = [](const std::string& name) { return name == "huge.bin" ? RarSkip : RarExtract; };
        ArchiveRun run = RunArchive(first, out.Path(), skip);
        EXPECT_EQ(run.end, RarEndOfArchive);
        ASSERT_EQ(OutcomesOf(run), (Outcomes{{"huge.bin", RarOk}, {"after.txt", RarOk}}));
        EXPECT_EQ(run.members[0].header.UnpSize, 0xFFFFFFFFu);
        EXPECT_EQ(run.members[0].header.PackSize, 0xFFFFFFFFu);
        const std::string after = ReadFile(Fixtures() / (set + ".expected") / "after.txt");
        EXPECT_EQ(run.members[1].header.UnpSize, after.size());
        EXPECT_EQ(ReadFile(out.Path() / "after.txt"), after);

        // Tested, its data flows whole and fits its CRC; once is enough, for the format whose sizes
        // are split in two fields.
        if (set != "rar4-huge")
            continue;
        uint64_t flowed = 0;
        RunOptions test;
        test.operation = RarTest;
        test.onData = [&](const unsigned char*, int size) { flowed += unsigned(size); };
        run = RunArchive(first, {}, test);
        ASSERT_FALSE(run.members.empty());
        EXPECT_EQ(run.members[0].result, RarOk);
        EXPECT_EQ(flowed, hugeSize + after.size());
    }
}

TEST(Password, EncryptedMembersAreReportedAndPassedOver) {
    const fs::path partly =
        VolumesOf(Fixtures() / "libarchive/test_read_format_rar_encryption_partially").front();
    for (const char* password : {static_cast<const char*>(nullptr), "secret"}) {
        TempFolder out;
        RunOptions options;
        options.password = password;
        ArchiveRun run = RunArchive(partly, out.Path(), options);
        EXPECT_EQ(run.end, RarEndOfArchive);
        ASSERT_EQ(run.members.size(), 2u);
        EXPECT_TRUE(run.members[0].header.Flags & RarEncrypted);
        EXPECT_EQ(run.members[0].result, password ? RarBadPassword : RarPasswordMissing);
        EXPECT_EQ(run.members[1].result, RarOk);
        EXPECT_EQ(Difference(
                      ReadTree(out.Path()),
                      ReadTree(Fixtures() / "libarchive/test_read_format_rar_encryption_partially.expected")),
                  "");
    }
    RunOptions skip;
    skip.operation = RarSkip;
    for (const Member& m : RunArchive(partly, {}, skip).members)
        EXPECT_EQ(m.result, RarOk);

    // With its headers encrypted, not even a name can be read, in either format.
    for (const char* set : {"libarchive/test_read_format_rar_encryption_header", "rar5-encrypted-headers"}) {
        SCOPED_TRACE(set);
        const fs::path hidden = VolumesOf(Fixtures() / set).front();
        ArchiveRun run = RunArchive(hidden, {});
        EXPECT_EQ(run.openResult, RarOk);
        EXPECT_EQ(run.end, RarPasswordMissing);
        RunOptions given;
        given.password = "secret";
        EXPECT_EQ(RunArchive(hidden, {}, given).end, RarBadPassword);
    }
}

TEST(Destination, ANamedTargetAndALongPathAreWritten) {
    TempFolder scratch;
    const fs::path archive = VolumesOf(Fixtures() / "rar4-single").front();
    RarHandle handle = OpenForExtraction(archive);
    ASSERT_NE(handle, nullptr);
    RARHeaderData header{};
    ASSERT_EQ(RARReadHeader(handle, &header), RarOk);
    std::string target = Ansi(scratch.Path() / "renamed.out");
    EXPECT_EQ(RARProcessFile(handle, RarExtract, nullptr, target.data()), RarOk);
    EXPECT_EQ(ReadFile(scratch.Path() / "renamed.out"),
              ReadFile(Fixtures() / "rar4-single.expected" / header.FileName));
    // Out of turn: no header is pending, so nothing is processed.
    EXPECT_NE(RARProcessFile(handle, RarExtract, nullptr, target.data()), RarOk);
    RARCloseArchive(handle);

    // Beyond MAX_PATH, where only the long form of a path works; the test reads it back in that form.
    std::wstring deep = scratch.Path().wstring();
    while (deep.size() < 300)
        deep += L"\\a-rather-long-folder-name";
    ArchiveRun run = RunArchive(deep, deep);
    EXPECT_EQ(run.openResult, RarCannotOpen);
    run = RunArchive(archive, deep);
    EXPECT_EQ(run.end, RarEndOfArchive);
    for (const Member& m : run.members)
        EXPECT_EQ(m.result, RarOk) << m.fileName;
    // std::filesystem does not go there either: each expected entry is looked up by the long form.
    for (const auto& [name, bytes] : ReadTree(Fixtures() / "rar4-single.expected")) {
        std::wstring path = L"\\\\?\\" + deep + L"\\" + FromUtf8(name);
        std::replace(path.begin() + 4, path.end(), L'/', L'\\');
        EXPECT_EQ(ReadLong(path), bytes) << name;
    }
    RemoveLong(L"\\\\?\\" + (scratch.Path() / "a-rather-long-folder-name").wstring());
}

// A failed member leaves what was there before; a good one replaces it, even when it is read-only; a
// directory in a member's place stays as it is, and only that member fails.
TEST(Destination, ExistingFilesAreReplacedOnlyByWholeMembers) {
    TempFolder out;
    Write(out.Path() / "middle.bin", "what was there before");
    Write(out.Path() / "first.txt", "an older first.txt");
    SetFileAttributesW((out.Path() / "first.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    fs::create_directory(out.Path() / "last.txt");
    Write(out.Path() / "last.txt" / "kept.txt", "in the way");
    ArchiveRun run = RunArchive(VolumesOf(Fixtures() / "rar5-corrupt").front(), out.Path());
    EXPECT_EQ(run.end, RarEndOfArchive);
    Tree want = ReadTree(Fixtures() / "rar5-corrupt.expected");
    want["middle.bin"] = "what was there before";
    want["last.txt"] = "<dir>";
    want["last.txt/kept.txt"] = "in the way";
    EXPECT_EQ(Difference(ReadTree(out.Path()), want), "");
    EXPECT_EQ(OutcomesOf(run),
              (Outcomes{{"first.txt", RarOk}, {"middle.bin", RarBadData}, {"last.txt", RarCannotCreate}}));
}

// A file that another program holds for a moment (a scanner, a sync client) is replaced once it is
// let go; one held throughout fails its member after a short wait, is left as it was, and the system's
// error says why; a directory in the way is no such case.
TEST(Destination, AFileAnotherProgramHoldsIsWaitedForAMoment) {
    enum class Hold { ForAMoment, Throughout, Directory };
    const struct {
        Hold hold;
        int result;
        DWORD error;
    } cases[] = {{Hold::ForAMoment, RarOk, 0},
                 {Hold::Throughout, RarCannotCreate, ERROR_SHARING_VIOLATION},
                 {Hold::Directory, RarCannotCreate, ERROR_CANNOT_MAKE}};
    const fs::path set = Fixtures() / "rar5-single";
    const std::string want = ReadTree(set.string() + ".expected").at("readme.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.hold));
        TempFolder out;
        const fs::path readme = out.Path() / "readme.txt";
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.hold == Hold::Directory) {
            fs::create_directory(readme);
        } else {
            Write(readme, "held");
            held = CreateFileW(readme.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        }
        std::thread release;
        if (c.hold == Hold::ForAMoment)
            release = std::thread([&] {
                Sleep(60);
                CloseHandle(std::exchange(held, INVALID_HANDLE_VALUE));
            });
        ArchiveRun run = RunArchive(VolumesOf(set).front(), out.Path());
        if (release.joinable())
            release.join();
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        auto member = std::find_if(run.members.begin(), run.members.end(),
                                   [](const Member& m) { return m.fileName == "readme.txt"; });
        ASSERT_NE(member, run.members.end());
        EXPECT_EQ(member->result, c.result);
        if (c.result != RarOk) {
            EXPECT_EQ(member->systemError, c.error);
        }
        Tree got = ReadTree(out.Path());
        EXPECT_EQ(got.at("readme.txt"), c.hold == Hold::ForAMoment   ? want
                                        : c.hold == Hold::Throughout ? "held"
                                                                     : "<dir>");
        for (const auto& [name, bytes] : got)
            EXPECT_EQ(name.find(".~unrar"), std::string::npos) << name;
    }
}

// Read-only and hidden members keep those attributes, in both formats.
TEST(Destination, ReadOnlyAndHiddenAttributesAreKept) {
    for (const std::string set : {"rar5-attributes", "rar4-attributes"}) {
        SCOPED_TRACE(set);
        TempFolder out;
        EXPECT_EQ(RunArchive(VolumesOf(Fixtures() / set).front(), out.Path()).end, RarEndOfArchive);
        EXPECT_EQ(Difference(ReadTree(out.Path()), ReadTree(Fixtures() / (set + ".expected"))), "");
        auto kept = [&](const char* name) {
            return GetFileAttributesW((out.Path() / name).c_str()) &
                   (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
        };
        EXPECT_EQ(kept("plain.txt"), 0u);
        EXPECT_EQ(kept("read-only.txt"), DWORD(FILE_ATTRIBUTE_READONLY));
        EXPECT_EQ(kept("hidden.txt"), DWORD(FILE_ATTRIBUTE_HIDDEN));
    }
}

TEST(Handles, NullArgumentsAreRefusedNotFollowed) {
    EXPECT_EQ(RAROpenArchive(nullptr), nullptr);
    RAROpenRecord open{};
    open.OpenMode = RarOpenExtract;
    EXPECT_EQ(RAROpenArchive(&open), nullptr);
    EXPECT_EQ(open.OpenResult, unsigned(RarCannotOpen));
    RARHeaderData header{};
    EXPECT_NE(RARReadHeader(nullptr, &header), RarOk);
    EXPECT_NE(RARProcessFile(nullptr, RarSkip, nullptr, nullptr), RarOk);
    EXPECT_NE(RARCloseArchive(nullptr), RarOk);
    RARSetPassword(nullptr, nullptr);
}

} // namespace
