// Archives written by the publisher's tool, read back through the installer's own RAR core.
#include "medium/RarWriter.h"

#include "core/Archive.h"
#include "core/PlatformFileSystem.h"
#include "core/Text.h"
#include "unrar.h"

#include <gtest/gtest.h>

#include <clocale>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using medium::ArchiveEntry;
using medium::ArchiveOptions;
using medium::RarFormat;
using medium::VolumeNaming;

const std::string kUnicodeName = "data/\xC3\x9C"
                                 "bersicht \xE2\x9C\x93 \xF0\x9F\x8E\xB5.txt";
const std::string kDirectory = "<directory>";

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Words with repeats near and far, and incompressible stretches, one of them repeated far back: every
// kind of match the format has.
std::string Mixed(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    const char* words[] = {"medium ", "volume ", "install ", "the ", "of ", "archive\n", "Korvadel ", "a "};
    std::string noise;
    for (int i = 0; i < 40000; ++i)
        noise += char(random());
    std::string out = noise;
    while (out.size() < size) {
        if (out.size() > 300000 && out.size() < 310000)
            out += noise;
        out += words[random() % 8];
        if (random() % 50 == 0)
            out += std::to_string(random());
    }
    out.resize(size);
    return out;
}

class RarWriter : public ::testing::Test {
public:
    void SetUp() override {
        // libarchive gives RAR 4's Unicode names in the locale's character set.
        std::setlocale(LC_ALL, "C.UTF-8");
        dir = fs::temp_directory_path() / ("korvadel-writer-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "src");
        fs::create_directories(dir / "out");
    }
    void TearDown() override { fs::remove_all(dir); }

    void Add(const std::string& name, const std::string& bytes) {
        if (bytes == kDirectory) {
            entries.push_back({{}, name, true, 0, 1714564800});
        } else {
            const fs::path source = dir / "src" / std::to_string(entries.size());
            Write(source, bytes);
            entries.push_back({source, name, false, bytes.size(), 1714564800});
        }
        expected[name] = bytes;
    }
    void AddAll() {
        Add("data", kDirectory);
        Add("data/mixed.txt", Mixed(700000, 1));
        Add("empty", "");
        Add(kUnicodeName, "?");
        Add("random.bin", Mixed(200000, 2).substr(0, 40000) + Mixed(200000, 3).substr(0, 40000) +
                              Mixed(200000, 4).substr(0, 40000) + Mixed(200000, 5).substr(0, 40000));
        Add("data/more.txt", Mixed(300000, 1).substr(1000));
    }

    std::vector<fs::path> Pack(const ArchiveOptions& options) {
        return medium::WriteArchive(dir / "out" / "game.rar", entries, options, nullptr);
    }

    // Every member by name: its bytes, or kDirectory; and the volumes opened.
    std::map<std::string, std::string> Unpack(const fs::path& first, std::vector<std::string>& volumes) {
        unrar::PlatformFileSystem files;
        int result = RarOk;
        std::unique_ptr<unrar::Archive> rar = unrar::Archive::Open(files, first.string(), result);
        EXPECT_TRUE(rar) << result;
        std::map<std::string, std::string> members;
        if (!rar)
            return members;
        volumes = {first.string()};
        rar->SetVolumeCallback([&](std::string& path, int mode) {
            volumes.push_back(path);
            return mode == RarVolumeOpened ? 1 : -1;
        });
        std::string data;
        rar->SetDataCallback([&](const uint8_t* bytes, size_t size) {
            data.append(reinterpret_cast<const char*>(bytes), size);
            return true;
        });
        unrar::MemberHeader header;
        while ((result = rar->ReadHeader(header)) == RarOk) {
            data.clear();
            const std::string name = unrar::Utf8OfWide(header.name);
            EXPECT_EQ(rar->Process(RarTest, nullptr, nullptr), RarOk) << name;
            members[name] = header.record.directory ? kDirectory : data;
        }
        EXPECT_EQ(result, RarEndOfArchive);
        return members;
    }

    std::vector<std::string> Listed() {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(dir / "out"))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir;
    std::vector<ArchiveEntry> entries;
    std::map<std::string, std::string> expected;
};

struct RoundTrip {
    const char* what;
    ArchiveOptions options;
    std::vector<std::string> volumes; // the names written, in order
};

TEST_F(RarWriter, RoundTripsEveryFormatAndLayout) {
    AddAll();
    auto options = [](RarFormat format, bool compress, bool solid, uint64_t volumeSize, VolumeNaming naming) {
        ArchiveOptions o;
        o.format = format;
        o.compress = compress;
        o.solid = solid;
        o.volumeSize = volumeSize;
        o.naming = naming;
        return o;
    };
    ArchiveOptions smallDictionary = options(RarFormat::Rar4, true, false, 0, VolumeNaming::Part);
    smallDictionary.dictionary = 64 << 10;
    ArchiveOptions solidSmallDictionary = options(RarFormat::Rar4, true, true, 0, VolumeNaming::Part);
    solidSmallDictionary.dictionary = 64 << 10;
    const RoundTrip cases[] = {
        {"RAR 5 stored", options(RarFormat::Rar5, false, false, 0, VolumeNaming::Part), {"game.rar"}},
        {"RAR 4 stored", options(RarFormat::Rar4, false, false, 0, VolumeNaming::Part), {"game.rar"}},
        {"RAR 4 compressed", options(RarFormat::Rar4, true, false, 0, VolumeNaming::Part), {"game.rar"}},
        {"RAR 4 compressed, 64 KB dictionary", smallDictionary, {"game.rar"}},
        {"RAR 4 solid", options(RarFormat::Rar4, true, true, 0, VolumeNaming::Part), {"game.rar"}},
        {"RAR 4 solid, 64 KB dictionary", solidSmallDictionary, {"game.rar"}},
        {"RAR 5 volumes",
         options(RarFormat::Rar5, false, false, 450000, VolumeNaming::Part),
         {"game.part1.rar", "game.part2.rar", "game.part3.rar"}},
        {"RAR 4 old volumes",
         options(RarFormat::Rar4, false, false, 450000, VolumeNaming::Old),
         {"game.rar", "game.r00", "game.r01"}},
        // More than 9 volumes, and random.bin over three of them.
        {"RAR 5 small volumes", options(RarFormat::Rar5, false, false, 70000, VolumeNaming::Part), {}},
        {"RAR 4 compressed volumes", options(RarFormat::Rar4, true, false, 150000, VolumeNaming::Old), {}},
        {"RAR 4 solid volumes", options(RarFormat::Rar4, true, true, 60000, VolumeNaming::Part), {}},
    };
    for (const RoundTrip& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<fs::path> written = Pack(c.options);
        std::vector<std::string> names;
        for (const fs::path& path : written)
            names.push_back(path.filename().string());
        if (!c.volumes.empty()) {
            EXPECT_EQ(names, c.volumes);
        }
        std::vector<std::string> listed = names;
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(Listed(), listed); // no temporaries, no stale volumes of an earlier case
        for (const fs::path& path : written) {
            if (c.options.volumeSize) {
                EXPECT_LE(fs::file_size(path), c.options.volumeSize);
            }
        }
        std::vector<std::string> opened;
        EXPECT_TRUE(Unpack(written[0], opened) == expected);
        EXPECT_EQ(opened.size(), written.size());
    }
}

// The smallest volume that takes a member's header and one byte of its data, and one byte less.
TEST_F(RarWriter, VolumeWhereAHeaderBarelyFits) {
    Add("data", kDirectory);
    Add("data/five", "12345");
    for (RarFormat format : {RarFormat::Rar5, RarFormat::Rar4}) {
        ArchiveOptions options;
        options.format = format;
        uint64_t size = 20;
        std::vector<fs::path> written;
        for (; written.empty() && size < 400; ++size) {
            options.volumeSize = size;
            try {
                written = Pack(options);
            } catch (const medium::WriteError&) {
                EXPECT_TRUE(Listed().empty());
            }
        }
        ASSERT_FALSE(written.empty());
        EXPECT_EQ(written.size(), 6u); // the directory, then one byte a volume
        for (const fs::path& path : written)
            EXPECT_LE(fs::file_size(path), size - 1);
        std::vector<std::string> opened;
        EXPECT_TRUE(Unpack(written[0], opened) == expected);
        for (const fs::path& path : written)
            fs::remove(path);
    }
}

TEST_F(RarWriter, CancelledLeavesNothing) {
    Add("big", std::string(5 << 20, 'x'));
    for (bool compress : {false, true}) {
        ArchiveOptions options;
        options.format = RarFormat::Rar4;
        options.compress = compress;
        options.volumeSize = 1 << 20;
        uint64_t told = 0;
        EXPECT_THROW(medium::WriteArchive(dir / "out" / "game.rar", entries, options,
                                          [&](uint64_t done) {
                                              told = done;
                                              return done < (2 << 20);
                                          }),
                     medium::WriteCancelled);
        EXPECT_GE(told, uint64_t(2 << 20));
        EXPECT_TRUE(Listed().empty());
    }
}

TEST_F(RarWriter, SourceUnreadableOrChangingIsAnError) {
    Add("a", "first");
    Add("b", "second");
    const ArchiveEntry good = entries[1];
    auto error = [&]() -> std::string {
        try {
            Pack({});
        } catch (const medium::WriteError& e) {
            EXPECT_TRUE(Listed().empty());
            return e.what();
        }
        return "no error";
    };
    entries[1].source = dir / "src" / "missing";
    EXPECT_EQ(error(), (dir / "src" / "missing").string() + ": cannot be opened: No such file or directory");
    entries[1] = good;
    entries[1].size = 7;
    EXPECT_EQ(error(), good.source.string() + ": became shorter while it was read");
    entries[1].size = 5;
    EXPECT_EQ(error(), good.source.string() + ": became longer while it was read");
}

// Stored files of many blocks, read ahead of the writing: every block where it belongs, one file after
// another, and a file that changed size found at its end.
TEST_F(RarWriter, LargeFilesStoredWholeAndInOrder) {
    auto noise = [](size_t size, uint32_t seed) {
        std::mt19937 random(seed);
        std::string bytes(size, 0);
        for (char& c : bytes)
            c = char(random());
        return bytes;
    };
    Add("a.bin", noise((6 << 20) + 3, 1));
    Add("small", "x");
    Add("b.bin", noise((3 << 20) - 1, 2));
    ArchiveOptions options;
    options.volumeSize = 2 << 20;
    const uint64_t size = entries[2].size;
    for (const auto& [claimed, change] : {std::pair{size - 1, "longer"}, std::pair{size + 1, "shorter"}}) {
        entries[2].size = claimed;
        try {
            Pack(options);
            ADD_FAILURE() << "no error";
        } catch (const medium::WriteError& e) {
            EXPECT_EQ(e.what(), entries[2].source.string() + ": became " + change + " while it was read");
        }
        EXPECT_TRUE(Listed().empty());
    }
    entries[2].size = size;
    std::vector<std::string> opened;
    EXPECT_TRUE(Unpack(Pack(options)[0], opened) == expected);
    EXPECT_EQ(opened.size(), 5u);
}

TEST_F(RarWriter, FolderNotWritableIsAnError) {
    Add("a", "first");
    Write(dir / "out" / "file", "");
    try {
        medium::WriteArchive(dir / "out" / "file" / "game.rar", entries, {}, nullptr);
        ADD_FAILURE() << "no error";
    } catch (const medium::WriteError& e) {
        EXPECT_EQ(e.what(),
                  (dir / "out" / "file" / "game.rar").string() + ": cannot be created: Not a directory");
    }
    EXPECT_EQ(Listed(), std::vector<std::string>{"file"});
}

TEST_F(RarWriter, VolumeTooSmallIsAnError) {
    Add("a", "first");
    ArchiveOptions options;
    options.volumeSize = 30;
    EXPECT_THROW(Pack(options), medium::WriteError);
    EXPECT_TRUE(Listed().empty());
}

TEST_F(RarWriter, StaleVolumesGoOnlyAfterAGoodWrite) {
    Add("a", std::string(3000, 'a'));
    const std::vector<std::string> stale = {"game.part1.rar", "game.part2.rar", "game.part3.rar", "game.r00",
                                            "game.rar",       "gamer.rar",      "other.part1.rar"};
    for (const std::string& name : stale)
        Write(dir / "out" / name, "stale");
    ArchiveOptions options;
    options.volumeSize = 2000;
    entries.push_back({dir / "src" / "missing", "b", false, 1, 0});
    EXPECT_THROW(Pack(options), medium::WriteError);
    EXPECT_EQ(Listed(), stale);

    entries.pop_back();
    expected.erase("b");
    const std::vector<fs::path> written = Pack(options);
    EXPECT_EQ(Listed(),
              (std::vector<std::string>{"game.part1.rar", "game.part2.rar", "gamer.rar", "other.part1.rar"}));
    std::vector<std::string> opened;
    EXPECT_TRUE(Unpack(written[0], opened) == expected);
}

} // namespace
