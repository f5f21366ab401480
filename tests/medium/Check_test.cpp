// A good medium, then one broken on purpose for each fault the check must catch.
#include "medium/Check.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = KORVADEL_SOURCE;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

void Shell(const std::string& command) {
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// The demo product's files and module with an archive of three RAR 5 volumes, made once and copied
// for each test.
class Medium : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        std::setlocale(LC_ALL, "C.UTF-8");
        const fs::path made = Template();
        fs::remove_all(made);
        fs::create_directories(made);
        for (const char* file : {"install.dat", "korvadel.nfo", "korvadel.reg"})
            fs::copy_file(kSource / "tools/demo" / file, made / file);
        MakeArchive(made, "5", "");
        Write(made / "install.ini",
              "[OPTIONS]\nAPPZ......=Korvadel\nSIZE......=1\nDIR.......=Korvadel\nFILERAR...=game.part1.rar\n"
              "NFO.......=korvadel.nfo\nREG.......=korvadel.reg\nSCRTXT....=Welcome\nFILES.....=3\n");
    }
    static void TearDownTestSuite() { fs::remove_all(Template()); }
    static fs::path Template() {
        return fs::temp_directory_path() / ("korvadel-check-template-" + std::to_string(getpid()));
    }

    void SetUp() override {
        dir = fs::temp_directory_path() / ("korvadel-check-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::copy(Template(), dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Three members of about 300 KB, the first one first in the archive, and a folder.
    static void MakeArchive(const fs::path& dir, const std::string& format, const std::string& extra) {
        for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
            if (entry.path().string().find("game.") != std::string::npos)
                fs::remove(entry.path());
        }
        Shell("python3 " + (kSource / "tools/rarwrite.py").string() + " --out " +
              (dir / "game.rar").string() + " --format " + format +
              " --volume-size 400000 --mtime 1714564800 --generate c.bin:299999" +
              " --add-dir data --generate data/a.bin:300000 --generate data/b.bin:300001 " + extra +
              " >/dev/null");
    }
    void Archive(const std::string& format, const std::string& extra) { MakeArchive(dir, format, extra); }
    void Ini(const std::string& text) { Write(dir / "install.ini", text); }
    void Replace(const std::string& from, const std::string& to) {
        std::string ini = Read(dir / "install.ini");
        ini.replace(ini.find(from), from.size(), to);
        Ini(ini);
    }

    fs::path dir;
};

TEST_F(Medium, AGoodMediumInstallsWithEveryFindingOk) {
    medium::CheckReport report = medium::CheckMedium(dir);
    std::string text = medium::FormatText(report);
    EXPECT_TRUE(report.Installs()) << text;
    for (const medium::Finding& finding : report.findings)
        EXPECT_EQ(finding.verdict, medium::Verdict::Ok) << finding.subject << " " << finding.message;
    EXPECT_NE(text.find("SIZE......   1 Mb covers the 0.9 Mb unpacked, 0.1 Mb to spare"), std::string::npos)
        << text;
    EXPECT_NE(text.find("game.part3.rar volume 3"), std::string::npos) << text;
    EXPECT_NE(text.find("The medium would install (0 warnings)."), std::string::npos) << text;
    std::string json = medium::FormatJson(report, dir);
    EXPECT_NE(json.find("\"installs\": true"), std::string::npos) << json;
}

// RAR 4's header of the first member, after the signature and the main header: its flags, its
// method and its CRC, which covers the header from its type on.
void PatchRar4Member(const fs::path& volume, uint16_t addFlags, int method) {
    std::string bytes = Read(volume);
    const size_t at = 7 + 13;
    ASSERT_EQ(bytes[at + 2], '\x74');
    uint16_t flags = uint16_t(uint8_t(bytes[at + 3]) | uint8_t(bytes[at + 4]) << 8) | addFlags;
    bytes[at + 3] = char(flags & 0xFF);
    bytes[at + 4] = char(flags >> 8);
    if (method >= 0)
        bytes[at + 7 + 18] = char(method);
    size_t size = uint8_t(bytes[at + 5]) | uint8_t(bytes[at + 6]) << 8;
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = at + 2; i < at + size; ++i) {
        crc ^= uint8_t(bytes[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    crc = ~crc;
    bytes[at] = char(crc & 0xFF);
    bytes[at + 1] = char((crc >> 8) & 0xFF);
    Write(volume, bytes);
}

struct Fault {
    const char* name;
    std::function<void(Medium&)> breakIt;
    const char* subject;
    medium::Verdict verdict;
    const char* message; // a part of it
};

TEST_F(Medium, EachFaultIsFoundWithAMessageThatSaysWhatTheUserWouldMeet) {
    using medium::Verdict;
    const Fault faults[] = {
        {"volume count", [](Medium& m) { m.Replace("FILES.....=3", "FILES.....=2"); }, "FILES.....",
         Verdict::Failure, "2, but the archive has 3 volumes"},
        {"size below the unpacked total", [](Medium& m) { m.Replace("SIZE......=1", "SIZE......=0"); },
         "SIZE......", Verdict::Failure, "0 Mb is less than the 0.9 Mb unpacked"},
        {"size not a number", [](Medium& m) { m.Replace("SIZE......=1", "SIZE......=1 Mb"); }, "SIZE......",
         Verdict::Failure, "'1 Mb' is not a valid integer value: the directory dialog stops"},
        {"missing volume", [](Medium& m) { fs::remove(m.dir / "game.part2.rar"); }, "game.part2.rar",
         Verdict::Failure, "is missing or not the next volume of the set"},
        {"refused member name",
         [](Medium& m) {
             m.Archive("5", "--generate ../up.bin:10");
             m.Replace("FILES.....=3", "FILES.....=4");
         },
         "../up.bin", Verdict::Failure, "is refused by the installer: it has a \"..\" component"},
        {"damaged member", [](Medium& m) { m.Archive("5", "--corrupt-member c.bin"); }, "c.bin",
         Verdict::Failure, "its data is corrupt"},
        {"encrypted member",
         [](Medium& m) {
             m.Archive("4", "");
             PatchRar4Member(m.dir / "game.part1.rar", 0x04, -1);
         },
         "c.bin", Verdict::Failure, "encrypted"},
        {"unknown packing method",
         [](Medium& m) {
             m.Archive("4", "");
             PatchRar4Member(m.dir / "game.part1.rar", 0, 0x3A);
         },
         "c.bin", Verdict::Failure, "cannot unpack"},
        {"information file missing", [](Medium& m) { fs::remove(m.dir / "korvadel.nfo"); }, "NFO.......",
         Verdict::Failure, "the viewer shows \"Can`t load file korvadel.nfo\""},
        {"registry file named in lower case",
         [](Medium& m) { m.Replace("REG.......=korvadel.reg", "REG.......=none"); }, "REG.......",
         Verdict::Failure, "only NONE in capitals means no registry file"},
        {"module not a module", [](Medium& m) { Write(m.dir / "install.dat", "not a module"); },
         "install.dat", Verdict::Failure, "is no module the music library knows"},
        {"link member", [](Medium& m) { m.Archive("5", "--symlink link=c.bin"); }, "link", Verdict::Warning,
         "the installer makes no links"},
        {"key without its full stops", [](Medium& m) { m.Replace("SCRTXT....=", "SCRTXT="); }, "SCRTXT",
         Verdict::Warning, "is not read: the installer reads only the key \"SCRTXT....\""},
        {"no install.ini", [](Medium& m) { fs::remove(m.dir / "install.ini"); }, "install.ini",
         Verdict::Failure, "every setting would be empty"},
        {"UTF-8 mark", [](Medium& m) { m.Replace("[OPTIONS]", "\xEF\xBB\xBF[OPTIONS]"); }, "install.ini",
         Verdict::Failure, "line is \"\xC3\xAF\xC2\xBB\xC2\xBF[OPTIONS]\" there, no section header"},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        TearDown();
        SetUp();
        fault.breakIt(*this);
        medium::CheckReport report = medium::CheckMedium(dir);
        std::string text = medium::FormatText(report);
        bool found = false;
        for (const medium::Finding& finding : report.findings) {
            found = found || (finding.subject == fault.subject && finding.verdict == fault.verdict &&
                              finding.message.find(fault.message) != std::string::npos);
        }
        EXPECT_TRUE(found) << text;
        EXPECT_EQ(report.Installs(), fault.verdict != Verdict::Failure) << text;
    }
}

// A volume cut anywhere, or with any byte changed, is never a medium that would install.
TEST_F(Medium, NoCutOrChangedVolumeIsTakenForAGoodOne) {
    const fs::path volume = dir / "game.part2.rar";
    const std::string good = Read(volume);
    std::vector<size_t> offsets;
    for (size_t at = 0; at < 200; at += 7)
        offsets.push_back(at);
    for (size_t at = 200; at < good.size(); at += good.size() / 25)
        offsets.push_back(at);
    offsets.push_back(good.size() - 1);
    for (size_t at : offsets) {
        Write(volume, good.substr(0, at));
        EXPECT_FALSE(medium::CheckMedium(dir).Installs()) << "cut at " << at;
        std::string changed = good;
        changed[at] = char(changed[at] ^ 0x20);
        Write(volume, changed);
        EXPECT_FALSE(medium::CheckMedium(dir).Installs()) << "byte " << at << " changed";
    }
}

// The exit status is what a publisher's script goes by.
TEST_F(Medium, TheProgramExitsWithZeroOnlyForAMediumThatInstalls) {
    const std::string tool = KORVADEL_MEDIUM_TOOL;
    EXPECT_EQ(std::system((tool + " check " + dir.string() + " >/dev/null").c_str()), 0);
    EXPECT_EQ(
        std::system((tool + " check " + dir.string() + " --json | grep -q '\"installs\": true'").c_str()), 0);
    Replace("FILES.....=3", "FILES.....=1");
    EXPECT_EQ(WEXITSTATUS(std::system((tool + " check " + dir.string() + " >/dev/null").c_str())), 1);
    EXPECT_EQ(
        WEXITSTATUS(std::system((tool + " check " + (dir / "nothing").string() + " 2>/dev/null").c_str())),
        2);
}

} // namespace
