// The installer in the ANSI code page 932 (Japanese), where the second byte of many characters is that
// of a backslash: 表 is 0x95 0x5C. Wine takes each process's code page from its Unix locale; the rig
// makes a Japanese one, and ctest gives it to this test alone, whose installer inherits it.
#include "installation/Unit5.h"
#include "tests/shell/Installer.h"

#include <filesystem>
#include <fstream>

namespace {

using namespace installer;
namespace fs = std::filesystem;

constexpr char kHyo[] = "\x95\x5c"; // 表

// The C runtime's narrow paths are not in the code page: paths are handed to it in UTF-16.
fs::path Wide(const std::string& path) {
    std::wstring wide(path.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return wide;
}

fs::path Fixtures() {
    const char* unix = std::getenv("KORVADEL_FIXTURES");
    return fs::path(driver::WindowsPathOf(unix ? unix : ""));
}

// Every file below a folder with its bytes, by its path relative to the folder.
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path(), std::ios::binary);
            files[fs::relative(entry.path(), root).generic_string()] = {std::istreambuf_iterator<char>(in),
                                                                        {}};
        }
    return files;
}

std::string Lower(std::string text) {
    CharLowerA(text.data());
    return text;
}

class DoubleBytePaths : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 932u) << "the rig gave this test no Japanese locale: its Wine runs in another "
                                     "code page (is Debian's locales package installed?)";
    }
};

// The volume and member names the extraction dialog shows, without the folders before them.
TEST_F(DoubleBytePaths, TheExtractionDialogShowsTheNameAfterTheLastBackslash) {
    const std::string hyo = kHyo;
    const std::pair<std::string, std::string> names[] = {
        {hyo, hyo},
        {hyo + ".rar", hyo + ".rar"},
        {"c:\\" + hyo + "\\" + hyo, hyo},
        {"c:\\" + hyo + "\\a.part1.rar", "a.part1.rar"},
        {hyo + "\\", ""},
    };
    for (const auto& [path, shown] : names)
        EXPECT_EQ(fmtNome(path.c_str()), shown) << path;
}

// The product in a folder named 表 and the program named 表.exe; the directory made in the make-directory
// dialog named 表 too. The list shows and enters every folder of it, and the files land there.
TEST_F(DoubleBytePaths, TheProductInstallsFromAndIntoFoldersNamedInDoubleByteCharacters) {
    driver::RealMouseMove(1020, 760);
    driver::ProductFolder folder;
    const std::string product = folder.Path(kHyo);
    const std::string target = product + "\\" + kHyo;
    ASSERT_TRUE(CreateDirectoryA(product.c_str(), nullptr));
    std::string ini = kStandardIni;
    std::string dir = "DIR.......=Korvadel";
    ini.replace(ini.find(dir), dir.size(), std::string("DIR.......=") + kHyo);
    folder.Write(std::string(kHyo) + "\\install.ini", ini);
    folder.Copy("install.exe", std::string(kHyo) + "\\" + kHyo + ".exe");
    folder.Copy("double/install.dll", std::string(kHyo) + "\\install.dll");
    folder.Copy("unrar.dll", std::string(kHyo) + "\\unrar.dll");
    for (const auto& volume : fs::directory_iterator(Fixtures() / "demo"))
        fs::copy_file(volume.path(), Wide(product) / volume.path().filename());
    driver::Process process(product + "\\" + kHyo + ".exe", "", product);

    driver::SendKeys(MainWindow(process.Pid()), {VK_CONTROL, 'I'});
    HWND form2 = driver::WaitWindow(process.Pid(), "TForm2", nullptr, kWait);
    HWND list = FindWindowExA(form2, nullptr, "ListBox", nullptr);
    auto press = [](HWND form, char letter) {
        PostMessageA(form, WM_SYSCHAR, static_cast<WPARAM>(tolower(letter)), 1u << 29);
    };
    // Whether the list comes to show `directory` as its current one, with `lastItems` at its end; a
    // failure tells what it showed.
    auto shows = [&](const std::string& directory, const std::string& lastItems) {
        std::string shown;
        bool came = driver::WaitUntil(
            [&] {
                driver::Inspection inspection = driver::Inspect(form2);
                const driver::Record& list = inspection.Find("DirectoryListBox1");
                shown = driver::Field(list, "directory") + " " + driver::Field(list, "items");
                return Lower(driver::Field(list, "directory")) == Lower(directory) &&
                       driver::Field(list, "items").ends_with(lastItems);
            },
            kWait);
        return came ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "it shows " << shown;
    };
    // A double click on the entry `fromLast` lines above the list's end.
    auto open = [&](int fromLast) {
        int index = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)) - fromLast;
        int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
        int y = (index - static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0))) * height + height / 2;
        for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
            PostMessageA(list, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(40, y));
    };
    // The settings were found beside the program: the label shows the product's size.
    EXPECT_EQ(driver::Field(driver::Inspect(form2).Find("Label4"), "caption"), "350 Mb");
    EXPECT_TRUE(shows(product, std::string("|") + kHyo)) << "the program's folder";

    press(form2, 'M');
    HWND form3 = driver::WaitWindow(process.Pid(), "TForm3", nullptr, kWait);
    press(form3, 'O');
    ASSERT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(form2); }, kWait));
    EXPECT_TRUE(shows(target, std::string("|") + kHyo + "|" + kHyo)) << "the new directory";
    open(2);
    EXPECT_TRUE(shows(product, std::string("|") + kHyo + "|" + kHyo)) << "the program's folder, holding 表";
    open(1);
    EXPECT_TRUE(shows(target, std::string("|") + kHyo + "|" + kHyo)) << "the new directory, entered again";

    press(form2, 'I');
    HWND form5 = driver::WaitWindow(process.Pid(), "TForm5", nullptr, kWait);
    press(form5, 'E');
    driver::MessageBoxWindow done = driver::WaitMessageBox(process.Pid(), "Information", kWait);
    EXPECT_EQ(done.text, "Install Completed!");
    driver::PressOk(done.hwnd);
    EXPECT_EQ(Tree(Wide(target)), Tree(Fixtures() / "demo.expected"));
}

} // namespace
