// A medium made by the publisher's tool for Windows installs, through the whole road, the very files
// it was packed from.
#include "tests/shell/Installer.h"

#include <filesystem>
#include <fstream>
#include <map>

namespace {

using namespace installer;
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        tree[fs::relative(entry.path(), root).generic_string()] =
            entry.is_directory() ? "/" : ReadAll(entry.path());
    return tree;
}

void Press(HWND form, char letter) {
    PostMessageA(form, WM_SYSCHAR, static_cast<WPARAM>(tolower(letter)), 1u << 29);
}

TEST(PackedMedium, InstallsTheFilesItWasPackedFromByteForByte) {
    driver::ProductFolder work;
    const fs::path source = work.Path("product");
    std::string big;
    for (int i = 0; big.size() < 3000000; ++i)
        big += "halls " + std::to_string(i * 7919 % 10007) + "\n";
    work.Write("product\\game.exe", big);
    work.Write("product\\data\\level1.map", std::string(100000, 'Z'));
    work.Write("product\\data\\empty.txt", "");
    fs::create_directories(source / "saves");
    // The kit with the recording music library in the real one's place: no sound in the tests.
    work.Copy("install.exe", "kit\\install.exe");
    work.Copy("double/install.dll", "kit\\install.dll");
    work.Copy("unrar.dll", "kit\\unrar.dll");

    driver::ProductFolder medium;
    const std::string demo = driver::SourcePath("tools\\demo\\");
    {
        driver::Process pack(driver::BinPath("korvadel-medium.exe"),
                             "pack \"" + source.string() + "\" \"" + medium.Root() + "\" --kit \"" +
                                 work.Path("kit") + "\" --music \"" + demo + "install.dat\" --nfo \"" + demo +
                                 "korvadel.nfo\" --dir Halls --volume-size 1M",
                             work.Root());
        ASSERT_EQ(pack.WaitExit(60000), std::optional<DWORD>(0));
    }
    EXPECT_NE(medium.Read("install.ini").find("FILES.....=3\r\n"), std::string::npos)
        << medium.Read("install.ini");

    driver::Process installer(medium.Path("install.exe"), "", medium.Root());
    HWND main = driver::WaitWindow(installer.Pid(), "TForm1", nullptr, kWait);
    driver::SendKeys(main, {VK_CONTROL, 'I'});
    HWND form2 = driver::WaitWindow(installer.Pid(), "TForm2", nullptr, kWait);
    Press(form2, 'M');
    HWND form3 = driver::WaitWindow(installer.Pid(), "TForm3", nullptr, kWait);
    Press(form3, 'O');
    const std::string target = medium.Path("Halls");
    ASSERT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(form2) && fs::is_directory(target); }, kWait));
    Press(form2, 'I');
    HWND form5 = driver::WaitWindow(installer.Pid(), "TForm5", nullptr, kWait);
    Press(form5, 'E');
    auto done = driver::WaitMessageBox(installer.Pid(), "Information", kWait);
    EXPECT_EQ(done.text, "Install Completed!");
    driver::PressOk(done.hwnd);
    EXPECT_EQ(Tree(target), Tree(source));
}

} // namespace
