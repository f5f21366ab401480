// The tool as a publisher runs it: pack a product folder, and the medium checks and unpacks to the
// same files; what it refuses, it refuses before writing anything.
#include "core/Archive.h"
#include "core/PlatformFileSystem.h"
#include "unrar.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = KORVADEL_SOURCE;
const std::string kTool = KORVADEL_MEDIUM_TOOL;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// Every file and folder below `root`, folders as "/", files by their bytes.
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        tree[entry.path().lexically_relative(root).generic_string()] =
            entry.is_directory() ? "/" : Read(entry.path());
    return tree;
}

int Status(const std::string& command) {
    return WEXITSTATUS(std::system(command.c_str()));
}

class Pack : public ::testing::Test {
public:
    void SetUp() override {
        root = fs::temp_directory_path() / ("korvadel-pack-" + std::to_string(getpid()));
        fs::remove_all(root);
        source = root / "Lost Halls";
        medium = root / "medium";
        kit = root / "kit";
        std::string big;
        for (int i = 0; big.size() < 700000; ++i)
            big += "line " + std::to_string(i * 7919 % 10007) + " of the halls\n";
        Write(source / "game.exe", big);
        Write(source / "data/maps/level1.map", std::string(70000, '\x5a'));
        Write(source / "data/empty.txt", "");
        fs::create_directories(source / "saves");
        for (const char* file : {"install.exe", "install.dll", "unrar.dll"})
            Write(kit / file, std::string("kit file ") + file);
        fs::create_directories(medium);
    }
    void TearDown() override { fs::remove_all(root); }

    std::string PackCommand(const std::string& options) const {
        return kTool + " pack '" + source.string() + "' " + medium.string() + " --kit " + kit.string() +
               " --music " + (kSource / "tools/demo/install.dat").string() + " --nfo " +
               (kSource / "tools/demo/korvadel.nfo").string() + " " + options;
    }

    // The archive of the medium unpacked by the installer's core.
    std::map<std::string, std::string> Unpacked(const std::string& first) {
        const fs::path out = root / "unpacked";
        fs::remove_all(out);
        fs::create_directories(out);
        unrar::PlatformFileSystem files;
        int result = RarOk;
        auto archive = unrar::Archive::Open(files, (medium / first).string(), result);
        EXPECT_TRUE(archive) << result;
        if (!archive)
            return {};
        const std::string destination = out.string();
        unrar::MemberHeader header;
        while ((result = archive->ReadHeader(header)) == RarOk)
            EXPECT_EQ(archive->Process(RarExtract, &destination, nullptr), RarOk);
        EXPECT_EQ(result, RarEndOfArchive);
        return Tree(out);
    }

    fs::path root, source, medium, kit;
};

TEST_F(Pack, EveryKindOfArchiveChecksAndUnpacksToTheSourceFiles) {
    struct Case {
        const char* options;
        const char* first;
        const char* files;
    } cases[] = {
        {"", "Lost Halls.rar", "1"},
        {"--volume-size 200K --archive halls", "halls.part1.rar", "4"},
        {"--format 4 --volume-size 300000 --naming old --archive halls", "halls.rar", "3"},
        {"--format 4 --compress --solid --volume-size 20K --archive halls", "halls.part1.rar", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        fs::remove_all(medium);
        ASSERT_EQ(Status(PackCommand(c.options) + " >" + (root / "out.txt").string() + " 2>&1"), 0)
            << Read(root / "out.txt");
        EXPECT_NE(Read(root / "out.txt").find("The medium would install (0 warnings)."), std::string::npos)
            << Read(root / "out.txt");
        const std::string ini = Read(medium / "install.ini");
        // Windows would read a mark before the section as part of its line.
        EXPECT_TRUE(ini.starts_with("[OPTIONS]\r\n")) << ini;
        EXPECT_NE(ini.find("APPZ......=Lost Halls\r\n"), std::string::npos) << ini;
        EXPECT_NE(ini.find(std::string("FILERAR...=") + c.first + "\r\n"), std::string::npos) << ini;
        // 0.8 MB unpacked and 10 % more, in whole megabytes.
        EXPECT_NE(ini.find("SIZE......=2\r\n"), std::string::npos) << ini;
        if (c.files) {
            EXPECT_NE(ini.find(std::string("FILES.....=") + c.files + "\r\n"), std::string::npos) << ini;
        }
        EXPECT_EQ(Read(medium / "unrar.dll"), "kit file unrar.dll");
        EXPECT_EQ(Unpacked(c.first), Tree(source));
    }
}

TEST_F(Pack, WhatTheInstallerWouldRefuseIsRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char* what;
        std::function<void(Pack&)> prepare;
        const char* options;
        const char* message;
    } cases[] = {
        {"no information file", [](Pack&) {}, "--nfo", "--nfo needs a value"},
        {"compressed RAR 5", [](Pack&) {}, "--compress", "--compress packs in RAR 4 only"},
        {"a volume size that is no size", [](Pack&) {}, "--volume-size 3X", "--volume-size takes"},
        {"a volume size of nothing", [](Pack&) {}, "--volume-size 0", "--volume-size takes"},
        {"a name Windows takes for a device", [](Pack& p) { Write(p.source / "data/CON.txt", "x"); }, "",
         "the installer would refuse or rename data/CON.txt"},
        {"a link", [](Pack& p) { fs::create_symlink("game.exe", p.source / "link"); }, "", "is a link"},
        {"a kit that is not there", [](Pack& p) { fs::remove(p.kit / "unrar.dll"); }, "",
         "unrar.dll is missing"},
        {"a name outside the installer's code page", [](Pack&) {}, "--name 'Halls \xe2\x82\xac'",
         "has characters the installer's code page lacks"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        c.prepare(*this);
        EXPECT_EQ(Status(PackCommand(c.options) + " >" + (root / "out.txt").string() + " 2>&1"), 2);
        EXPECT_NE(Read(root / "out.txt").find(c.message), std::string::npos) << Read(root / "out.txt");
        EXPECT_TRUE(fs::is_empty(medium));
    }
}

// Interrupted while the archive is being written, it leaves no volume, whole or half.
TEST_F(Pack, CtrlCLeavesNothingOfTheArchive) {
    // Sparse: large to read, nothing on the disk.
    {
        std::ofstream big(source / "big.bin", std::ios::binary);
        big.seekp((1ll << 30) - 1);
        big.put('\0');
    }
    FILE* output = popen((PackCommand("--volume-size 64M") + " 2>&1 >/dev/null & echo $!").c_str(), "r");
    ASSERT_TRUE(output);
    char line[512];
    ASSERT_TRUE(fgets(line, sizeof line, output));
    const pid_t pid = std::stoi(line);
    // The first line of progress says the writing has begun.
    ASSERT_TRUE(fgets(line, sizeof line, output));
    EXPECT_NE(std::string(line).find("packing: 10%"), std::string::npos) << line;
    kill(pid, SIGINT);
    std::string rest;
    while (fgets(line, sizeof line, output))
        rest += line;
    pclose(output);
    EXPECT_NE(rest.find("interrupted; nothing of the archive was left behind"), std::string::npos) << rest;
    EXPECT_TRUE(fs::is_empty(medium)) << Tree(medium).begin()->first;
}

} // namespace
