// The installer started in a directory on a network share, which has no drive letter. Wine serves
// \\server\share\ from the prefix's dosdevices\unc\server\share. The product folder stays on a drive:
// Wine 8 names a program started from a share "UNC\server\share\..." to itself, a path its own
// profile reader does not find.
#include "tests/shell/Installer.h"

#include <cstdlib>

namespace {

using namespace installer;

// A directory on a share of the rig's Wine, made for the test and gone with it.
class Share {
public:
    static constexpr char kRoot[] = "\\\\korvadel\\games\\";
    static constexpr char kDirectory[] = "\\\\korvadel\\games\\halls";

    Share() {
        const char* prefix = std::getenv("WINEPREFIX");
        if (!prefix)
            throw std::runtime_error("WINEPREFIX is not set: run the test through ctest");
        std::string path = driver::WindowsPathOf(prefix) + "\\dosdevices";
        for (const char* part : {"unc", "korvadel", "games", "halls"}) {
            path += std::string("\\") + part;
            if (CreateDirectoryA(path.c_str(), nullptr))
                made.push_back(path);
            else if (GetLastError() != ERROR_ALREADY_EXISTS)
                throw std::runtime_error("cannot create " + path);
        }
    }
    ~Share() {
        for (auto path = made.rbegin(); path != made.rend(); ++path)
            RemoveDirectoryA(path->c_str());
    }

private:
    std::vector<std::string> made;
};

std::string Ini(const std::string& size) {
    std::string ini = kStandardIni;
    std::string key = "SIZE......=";
    std::size_t at = ini.find(key) + key.size();
    return ini.replace(at, ini.find('\r', at) - at, size);
}

TEST(NetworkShare, TheSharesFreeSpaceIsJudgedAgainstTheNeededSize) {
    Share share;
    for (const char* size : {"1", "999999999"}) {
        SCOPED_TRACE(size);
        Session run(Ini(size), "", Share::kDirectory);
        driver::SendKeys(run.MainWindow(), {VK_CONTROL, 'I'});
        HWND form2 = driver::WaitWindow(run.process->Pid(), "TForm2", nullptr, kWait);
        driver::Inspection inspection = driver::Inspect(form2);
        ASSERT_EQ(driver::Field(inspection.Find("DirectoryListBox1"), "directory"), Share::kDirectory);
        ASSERT_EQ(driver::Field(inspection.Find("DriveComboBox1"), "drive"), "");
        ExpectFreeSpaceJudged(form2, Share::kRoot, size);
    }
}

} // namespace
