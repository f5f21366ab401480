#include "tests/shell/Installer.h"

#include "medium/RarWriter.h"
#include "tests/fixtures/RarBlocks.h"

#include <algorithm>
#include <commctrl.h>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

using namespace installer;
namespace fs = std::filesystem;

// The fixtures made at build time, as this process sees them.
fs::path Fixtures() {
    const char* unix = std::getenv("KORVADEL_FIXTURES");
    return fs::path(driver::WindowsPathOf(unix ? unix : ""));
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Every file below a folder with its bytes, by its path relative to the folder.
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).generic_string()] = ReadAll(entry.path());
    return files;
}

std::string Lower(std::string text) {
    CharLowerA(text.data());
    return text;
}

// The demo product's settings with some changed, each key written once.
std::string Ini(const std::map<std::string, std::string>& changes = {}) {
    std::map<std::string, std::string> settings = {
        {"APPZ......", "Korvadel"},     {"SIZE......", "1"},
        {"DIR.......", "Korvadel"},     {"FILERAR...", "korvadel.part1.rar"},
        {"NFO.......", "korvadel.nfo"}, {"REG.......", "NONE"},
        {"SCRTXT....", "Welcome"},      {"FILES.....", "3"},
    };
    for (const auto& [key, value] : changes)
        settings[key] = value;
    std::string ini = "[OPTIONS]\r\n";
    for (const auto& [key, value] : settings)
        ini += key + "=" + value + "\r\n";
    return ini;
}

// What the stock progress bars of a form show, upper bar first: each one's position and the top of
// its range.
std::vector<std::pair<int, int>> BarsShown(HWND form) {
    std::vector<std::pair<int, HWND>> bars;
    for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        if (driver::ClassName(child) == PROGRESS_CLASSA && GetWindowRect(child, &r))
            bars.emplace_back(r.top, child);
    }
    std::sort(bars.begin(), bars.end());
    std::vector<std::pair<int, int>> shown;
    for (auto [top, bar] : bars)
        shown.emplace_back(int(SendMessageA(bar, PBM_GETPOS, 0, 0)),
                           int(SendMessageA(bar, PBM_GETRANGE, FALSE, 0)));
    return shown;
}

// An installer in a product folder with a set's volumes (the demo archive's by default), at the
// directory selection dialog. A set too large to copy for every test is linked.
enum class Lay { Copy, Link };
struct Road : Session {
    explicit Road(const std::string& ini = Ini(), bool withSecondVolume = true,
                  const fs::path& set = Fixtures() / "demo", Lay lay = Lay::Copy)
        : Session(ini) {
        for (const auto& volume : fs::directory_iterator(set))
            if (withSecondVolume || volume.path().filename().string().find(".part2.") == std::string::npos)
                Bring(volume.path(), lay);
        main = MainWindow();
        driver::SendKeys(main, {VK_CONTROL, 'I'});
        form2 = driver::WaitWindow(process->Pid(), "TForm2", nullptr, kWait);
    }
    // Puts a volume in the product folder, as a user inserting its disk.
    void Bring(const fs::path& volume, Lay lay = Lay::Copy) {
        fs::path to(folder.Path(volume.filename().string()));
        if (lay == Lay::Link)
            fs::create_hard_link(volume, to);
        else
            fs::copy_file(volume, to);
    }
    std::string Target() const { return folder.Path("Korvadel"); }
    // Presses a speed button by its letter with Alt, as a user with the keyboard does; posted, so that
    // presses given one after the other are taken in that order.
    void Press(HWND form, char letter) {
        PostMessageA(form, WM_SYSCHAR, static_cast<WPARAM>(tolower(letter)), 1u << 29);
    }
    HWND OpenExtraction() {
        Press(form2, 'I');
        return driver::WaitWindow(process->Pid(), "TForm5", nullptr, kWait);
    }
    void MakeDir() {
        Press(form2, 'M');
        HWND form3 = driver::WaitWindow(process->Pid(), "TForm3", nullptr, kWait);
        Press(form3, 'O');
        ASSERT_TRUE(
            driver::WaitUntil([&] { return IsWindowVisible(form2) && fs::is_directory(Target()); }, kWait));
    }
    std::string Field(HWND form, const std::string& control, const std::string& key) {
        driver::Inspection inspection = driver::Inspect(form);
        return driver::Field(inspection.Find(control), key);
    }

    HWND main = nullptr;
    HWND form2 = nullptr;
};

TEST(InstallRoad, AFullInstallIntoANewDirectoryGivesTheArchivesFiles) {
    Road road;
    road.MakeDir();
    EXPECT_EQ(Lower(road.Field(road.form2, "DirectoryListBox1", "directory")), Lower(road.Target()));
    HWND form5 = road.OpenExtraction();
    road.Press(form5, 'E');
    auto done = driver::WaitMessageBox(road.process->Pid(), "Information", kWait);
    EXPECT_EQ(done.text, "Install Completed!");
    EXPECT_EQ(road.Field(form5, "ProgressBar2", "position"), "2");
    EXPECT_EQ(road.Field(form5, "ProgressBar2", "max"), "2");
    // The box stands over the extraction dialog, which closes when the box has; the directory dialog
    // stays hidden.
    EXPECT_FALSE(IsWindowVisible(road.form2));
    driver::PressOk(done.hwnd);
    EXPECT_TRUE(driver::WaitUntil([&] { return !IsWindowVisible(form5); }, kWait));
    EXPECT_FALSE(IsWindowVisible(road.form2));
    EXPECT_EQ(Tree(road.Target()), Tree(Fixtures() / "demo.expected"));
    EXPECT_TRUE(driver::WaitUntil([&] { return IsWindowEnabled(road.main); }, kWait));
}

// Each top-level window of a process in z-order, with what the window system holds of it, for a
// failure to show where the activation went.
std::string WindowStates(DWORD pid) {
    std::string states;
    for (HWND window : driver::TopWindows(pid)) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
        states += driver::Describe(window) + (IsWindowEnabled(window) ? "" : " disabled") +
                  (info.hwndActive == window ? " active" : "") + "; ";
    }
    return states;
}

// Real key presses and no mouse input, each given to the window the program itself brought to the front
// once it takes input: a dialog comes to the front a moment before the modal run it ends enables it.
TEST(InstallRoad, EveryRoadIsWalkedWithTheKeyboardAlone) {
    Road road;
    DWORD pid = road.process->Pid();
    auto type = [&](HWND window, std::initializer_list<WORD> keys) {
        ASSERT_TRUE(driver::WaitUntil(
            [&] { return GetForegroundWindow() == window && IsWindowEnabled(window); }, kWait))
            << driver::Describe(window) << " is not in front of " << driver::Describe(GetForegroundWindow())
            << "; the program's windows: " << WindowStates(pid);
        driver::SendKeys(window, keys);
    };
    auto focusIs = [](HWND control) {
        return driver::WaitUntil([control] { return driver::FocusOf(control) == control; }, kWait);
    };
    auto directory = [&] { return Lower(road.Field(road.form2, "DirectoryListBox1", "directory")); };
    HWND drives = FindWindowExA(road.form2, nullptr, "ComboBox", nullptr);
    HWND list = FindWindowExA(road.form2, nullptr, "ListBox", nullptr);
    // The directory dialog: Escape cancels it; Tab and Shift+Tab go round its tab order, and the focus
    // shows where it is.
    EXPECT_TRUE(focusIs(drives));
    type(road.form2, {VK_ESCAPE});
    type(road.main, {VK_CONTROL, 'I'});
    driver::Pixels unfocused = driver::Capture(list, false);
    type(road.form2, {VK_TAB});
    EXPECT_TRUE(focusIs(list));
    EXPECT_TRUE(
        driver::WaitUntil([&] { return driver::Capture(list, false).pixels != unfocused.pixels; }, kWait));
    type(road.form2, {VK_SHIFT, VK_TAB});
    EXPECT_TRUE(focusIs(drives));
    // Make Dir: Escape cancels, Enter makes the proposed directory.
    type(road.form2, {VK_MENU, 'M'});
    HWND form3 = driver::WaitWindow(pid, "TForm3", nullptr, kWait);
    EXPECT_TRUE(focusIs(FindWindowExA(form3, nullptr, "Edit", nullptr)));
    type(form3, {VK_ESCAPE});
    type(road.form2, {VK_MENU, 'M'});
    type(form3, {VK_RETURN});
    ASSERT_TRUE(driver::WaitUntil([&] { return directory() == Lower(road.Target()); }, kWait));
    // In the directory list Enter opens the entry: up to the product folder and down again.
    type(road.form2, {VK_TAB});
    type(road.form2, {VK_UP});
    type(road.form2, {VK_RETURN});
    EXPECT_TRUE(driver::WaitUntil([&] { return directory() == Lower(road.folder.Root()); }, kWait));
    type(road.form2, {VK_DOWN});
    type(road.form2, {VK_RETURN});
    EXPECT_TRUE(driver::WaitUntil([&] { return directory() == Lower(road.Target()); }, kWait));
    EXPECT_TRUE(IsWindowVisible(road.form2));
    // Elsewhere in the dialog Enter installs; the extraction dialog's Escape cancels, its Enter extracts.
    type(road.form2, {VK_SHIFT, VK_TAB});
    type(road.form2, {VK_RETURN});
    HWND form5 = driver::WaitWindow(pid, "TForm5", nullptr, kWait);
    type(form5, {VK_ESCAPE});
    EXPECT_TRUE(
        driver::WaitUntil([&] { return driver::WindowText(road.form2) == "Install Aborted!"; }, kWait));
    type(road.form2, {VK_MENU, 'I'});
    type(form5, {VK_RETURN});
    auto done = driver::WaitMessageBox(pid, "Information", kWait);
    EXPECT_EQ(done.text, "Install Completed!");
    type(done.hwnd, {VK_RETURN});
    // Back in the main window, its menu from the keyboard quits.
    type(road.main, {VK_SHIFT, VK_F10});
    driver::WaitWindow(pid, "#32768", nullptr, kWait);
    driver::SendKeys(road.main, {VK_UP});
    driver::SendKeys(road.main, {VK_RETURN});
    EXPECT_EQ(road.ExitCode(), 0u);
    EXPECT_EQ(Tree(road.Target()), Tree(Fixtures() / "demo.expected"));
}

TEST(InstallRoad, CancelDuringARunFinishesTheMemberAndExtractsNoMore) {
    Road road;
    road.MakeDir();
    HWND form5 = road.OpenExtraction();
    // Both presses wait in the queue; Cancel is taken while the first member is shown.
    road.Press(form5, 'E');
    road.Press(form5, 'C');
    ASSERT_TRUE(
        driver::WaitUntil([&] { return driver::WindowText(road.form2) == "Install Aborted!"; }, kWait));
    EXPECT_EQ(driver::CountMessageBoxes(road.process->Pid(), "Information"), 0);
    auto files = Tree(road.Target());
    EXPECT_LE(files.size(), 1u);
    auto expected = Tree(Fixtures() / "demo.expected");
    for (const auto& [name, bytes] : files)
        EXPECT_EQ(bytes, expected[name]) << name;
}

// A member of many blocks over three volumes: the bars the user sees reach their ends, and a Cancel
// given while the member's data flows ends the run after that member. The Cancel is given where the
// member is sure to be half-way: at the second volume, which the installer asks for.
TEST(InstallRoad, BarsReachTheirEndsAndCancelStopsAfterTheMemberInProgress) {
    const std::string ini = Ini({{"FILERAR...", "large.part1.rar"}});
    const auto expected = Tree(Fixtures() / "rar5-large-member.expected");
    {
        Road road(ini, true, Fixtures() / "rar5-large-member");
        road.MakeDir();
        HWND form5 = road.OpenExtraction();
        road.Press(form5, 'E');
        auto done = driver::WaitMessageBox(road.process->Pid(), "Information", kWait);
        EXPECT_EQ(done.text, "Install Completed!");
        // The bars are told of the last block within a frame.
        EXPECT_TRUE(driver::WaitUntil(
            [&] {
                auto bars = BarsShown(form5);
                return bars.size() == 2 && bars[0].first == bars[0].second && bars[1] == std::make_pair(2, 2);
            },
            1000));
        driver::PressOk(done.hwnd);
        EXPECT_EQ(Tree(road.Target()), expected);
    }
    Road road(ini, false, Fixtures() / "rar5-large-member");
    road.MakeDir();
    HWND form5 = road.OpenExtraction();
    road.Press(form5, 'E');
    auto ask = driver::WaitMessageBox(road.process->Pid(), "Information", kWait);
    EXPECT_EQ(ask.text, "Insert the disk with " + road.folder.Path("large.part2.rar"));
    fs::copy_file(Fixtures() / "rar5-large-member" / "large.part2.rar",
                  fs::path(road.folder.Path("large.part2.rar")));
    // Both posted: the box ends on its OK, and Cancel waits in the queue for the data that follows.
    PostMessageA(ask.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    road.Press(form5, 'C');
    ASSERT_TRUE(
        driver::WaitUntil([&] { return driver::WindowText(road.form2) == "Install Aborted!"; }, kWait));
    // The member in progress is finished under its own name; nothing after it comes.
    const fs::path large = fs::path(road.Target()) / "large.bin";
    ASSERT_TRUE(driver::WaitUntil(
        [&] {
            std::error_code error;
            return fs::file_size(large, error) == expected.at("large.bin").size();
        },
        kWait));
    Sleep(1000);
    EXPECT_EQ(driver::CountMessageBoxes(road.process->Pid(), "Information"), 0);
    auto files = Tree(road.Target());
    EXPECT_EQ(files.count("after.txt"), 0u);
    EXPECT_EQ(files["large.bin"], expected.at("large.bin"));
}

TEST(InstallRoad, AMissingVolumeIsAskedForUntilItIsThere) {
    Road road(Ini(), false);
    road.MakeDir();
    HWND form5 = road.OpenExtraction();
    road.Press(form5, 'E');
    auto ask = driver::WaitMessageBox(road.process->Pid(), "Information", kWait);
    EXPECT_EQ(ask.text, "Insert the disk with " + road.folder.Path("korvadel.part2.rar"));
    driver::PressOk(ask.hwnd);
    auto again = driver::WaitMessageBox(road.process->Pid(), "Information", kWait);
    EXPECT_EQ(again.text, ask.text);
    fs::copy_file(Fixtures() / "demo" / "korvadel.part2.rar",
                  fs::path(road.folder.Path("korvadel.part2.rar")));
    driver::PressOk(again.hwnd);
    auto done = driver::WaitMessageBox(road.process->Pid(), "Information", kWait);
    EXPECT_EQ(done.text, "Install Completed!");
    EXPECT_EQ(road.Field(form5, "ProgressBar2", "position"), "2");
    driver::PressOk(done.hwnd);
    EXPECT_EQ(Tree(road.Target()), Tree(Fixtures() / "demo.expected"));
}

TEST(InstallRoad, AnArchiveThatCannotBeLoadedSendsTheUserBack) {
    Road road(Ini({{"FILERAR...", "missing.rar"}}));
    HWND form5 = road.OpenExtraction();
    road.Press(form5, 'E');
    auto warning = driver::WaitMessageBox(road.process->Pid(), "Warning", kWait);
    EXPECT_EQ(warning.text, "Can`t load file missing.rar");
    driver::PressOk(warning.hwnd);
    ASSERT_TRUE(
        driver::WaitUntil([&] { return driver::WindowText(road.form2) == "Install Aborted!"; }, kWait));
    EXPECT_TRUE(driver::WaitUntil([&] { return !IsWindowVisible(form5); }, kWait));
    EXPECT_EQ(driver::CountMessageBoxes(road.process->Pid(), "Information"), 0);
}

TEST(InstallRoad, ACorruptMemberIsNamedAndNothingIsCompleted) {
    Road road(Ini({{"FILERAR...", "corrupt.rar"}, {"FILES.....", "1"}}));
    for (const auto& entry : fs::directory_iterator(Fixtures() / "rar5-corrupt"))
        fs::copy_file(entry.path(), fs::path(road.folder.Path("corrupt.rar")));
    road.MakeDir();
    HWND form5 = road.OpenExtraction();
    road.Press(form5, 'E');
    auto warning = driver::WaitMessageBox(road.process->Pid(), "Warning", kWait);
    EXPECT_NE(warning.text.find("could not be installed: its data is corrupt"), std::string::npos)
        << warning.text;
    EXPECT_NE(warning.text.find("Files that failed: 1."), std::string::npos) << warning.text;
    driver::PressOk(warning.hwnd);
    ASSERT_TRUE(
        driver::WaitUntil([&] { return driver::WindowText(road.form2) == "Install Aborted!"; }, kWait));
    // What came out before and after the bad member is whole.
    auto expected = Tree(Fixtures() / "rar5-corrupt.expected");
    for (const auto& [name, bytes] : expected)
        EXPECT_EQ(Tree(road.Target())[name], bytes) << name;
}

// The demo archive cut short as a broken download or a bad disc leaves it: the warning names what
// really failed and what was installed, and the install is never reported complete.
TEST(InstallRoad, ACutArchiveIsNeverACompletedInstall) {
    struct Cut {
        const char* volume;
        int block;   // of the volume's blocks, the signature being 0; negative counts from the end
        size_t into; // bytes into that block
        const char* text;
    };
    const Cut cuts[] = {
        {"korvadel.part3.rar", -1, 0,
         "The archive is damaged after the file data\\music\\credits.dat. Files installed: 6."},
        {"korvadel.part3.rar", -2, 14056,
         "The file data\\music\\credits.dat could not be installed: its data is corrupt. Files that failed: "
         "1.\n"
         "The archive is damaged after the file data\\music\\halls.dat. Files installed: 5."},
        {"korvadel.part2.rar", 3, 20,
         "The archive is damaged after the file korvadel.exe. Files installed: 1."},
        {"korvadel.part1.rar", 3, 20, "The archive is damaged. Files installed: 0."},
    };
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.text);
        Road road;
        const fs::path volume(road.folder.Path(cut.volume));
        std::vector<rarblocks::Block> blocks = rarblocks::Blocks(ReadAll(volume));
        const rarblocks::Block& b = blocks[cut.block < 0 ? blocks.size() + cut.block : size_t(cut.block)];
        ASSERT_LT(cut.into, b.headerSize + b.dataSize);
        fs::resize_file(volume, b.offset + cut.into);
        road.MakeDir();
        HWND form5 = road.OpenExtraction();
        road.Press(form5, 'E');
        auto warning = driver::WaitMessageBox(road.process->Pid(), "Warning", kWait);
        EXPECT_EQ(warning.text, cut.text);
        driver::PressOk(warning.hwnd);
        ASSERT_TRUE(
            driver::WaitUntil([&] { return driver::WindowText(road.form2) == "Install Aborted!"; }, kWait));
        EXPECT_EQ(driver::CountMessageBoxes(road.process->Pid(), "Information"), 0);
    }
}

// A file of the product that another program holds open is named as such, not as one that cannot be made.
TEST(InstallRoad, AFileHeldByAnotherProgramIsNamedAsSuch) {
    Road road(Ini({{"FILERAR...", "single.rar"}, {"FILES.....", "1"}}));
    fs::copy_file(Fixtures() / "rar4-single" / "single.rar", fs::path(road.folder.Path("single.rar")));
    road.MakeDir();
    const fs::path readme = fs::path(road.Target()) / "readme.txt";
    std::ofstream(readme, std::ios::binary) << "an older readme";
    HANDLE held = CreateFileW(readme.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HWND form5 = road.OpenExtraction();
    road.Press(form5, 'E');
    auto warning = driver::WaitMessageBox(road.process->Pid(), "Warning", kWait);
    CloseHandle(held);
    EXPECT_EQ(warning.text, "The file readme.txt could not be installed: the file is in use by another "
                            "program. Files that failed: 1.");
    EXPECT_EQ(ReadAll(readme), "an older readme");
}

TEST(InstallRoad, AnArchiveOfAnOldRarVersionIsNamedAsSuch) {
    Road road(Ini({{"FILERAR...", "old.rar"}, {"FILES.....", "1"}}));
    std::string bytes = ReadAll(Fixtures() / "rar4-single" / "single.rar");
    std::vector<rarblocks::Block> blocks = rarblocks::Blocks(bytes);
    rarblocks::SetRar4Method(bytes, blocks[2], 20, 0x33);
    road.folder.Write("old.rar", bytes);
    road.MakeDir();
    HWND form5 = road.OpenExtraction();
    road.Press(form5, 'E');
    auto warning = driver::WaitMessageBox(road.process->Pid(), "Warning", kWait);
    EXPECT_EQ(warning.text, "The file readme.txt could not be installed: the archive was made by a RAR "
                            "version the installer cannot unpack. Files that failed: 1.");
}

TEST(InstallRoad, FreeSpaceIsJudgedAgainstTheNeededSize) {
    for (const char* size : {"1", "999999999"}) {
        Road road(Ini({{"SIZE......", size}}));
        std::string drive = road.Field(road.form2, "DriveComboBox1", "drive");
        ExpectFreeSpaceJudged(road.form2, drive + ":\\", size);
    }
}

TEST(InstallRoad, NumbersThatAreNotNumbersGiveTheConversionError) {
    {
        Session run(Ini({{"SIZE......", "abc"}}));
        driver::SendKeys(run.MainWindow(), {VK_CONTROL, 'I'});
        auto box = driver::WaitMessageBox(run.process->Pid(), "Korvadel Installer v1.0", kWait);
        EXPECT_EQ(box.text, "'abc' is not a valid integer value");
        EXPECT_TRUE(box.hasIcon);
        driver::PressOk(box.hwnd);
        HWND form2 = driver::WaitWindow(run.process->Pid(), "TForm2", nullptr, kWait);
        EXPECT_EQ(driver::Field(driver::Inspect(form2).Find("Label4"), "caption"), "abc Mb");
    }
    {
        Road road(Ini({{"FILES.....", "0"}}));
        road.Press(road.form2, 'I');
        auto box = driver::WaitMessageBox(road.process->Pid(), "Korvadel Installer v1.0", kWait);
        EXPECT_TRUE(box.hasIcon);
        driver::PressOk(box.hwnd);
        HWND form5 = driver::WaitWindow(road.process->Pid(), "TForm5", nullptr, kWait);
        EXPECT_TRUE(IsWindowVisible(form5));
    }
}

TEST(InstallRoad, MakeDirRefusesAnExistingNameAndPutsTheProposalBack) {
    Road road;
    fs::create_directory(road.Target());
    road.Press(road.form2, 'M');
    HWND form3 = driver::WaitWindow(road.process->Pid(), "TForm3", nullptr, kWait);
    EXPECT_EQ(driver::Field(driver::Inspect(form3).Find("Edit1"), "text"), "Korvadel");
    road.Press(form3, 'O');
    auto warning = driver::WaitMessageBox(road.process->Pid(), "Warning", kWait);
    EXPECT_EQ(warning.text, "The Korvadel Directory already exists, please choose another name!");
    driver::PressOk(warning.hwnd);
    EXPECT_TRUE(IsWindowVisible(form3));
    EXPECT_EQ(driver::Field(driver::Inspect(form3).Find("Edit1"), "text"), "Korvadel");
    // Cancel changes nothing and brings the directory dialog back.
    std::string before = road.Field(road.form2, "DirectoryListBox1", "directory");
    road.Press(form3, 'C');
    ASSERT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(road.form2); }, kWait));
    EXPECT_EQ(road.Field(road.form2, "DirectoryListBox1", "directory"), before);
}

TEST(InstallRoad, AnInvalidDirectoryNameGivesTheErrorBox) {
    Road road(Ini({{"DIR.......", "no\\such\\parent"}}));
    road.Press(road.form2, 'M');
    HWND form3 = driver::WaitWindow(road.process->Pid(), "TForm3", nullptr, kWait);
    road.Press(form3, 'O');
    auto box = driver::WaitMessageBox(road.process->Pid(), "Korvadel Installer v1.0", kWait);
    EXPECT_TRUE(box.hasIcon);
    driver::PressOk(box.hwnd);
    EXPECT_TRUE(IsWindowVisible(form3));
}

} // namespace

namespace {

using namespace installer;

bool KeyExists(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A window of another process whose title names the folder: the shell showing it.
bool FolderWindowShown(DWORD installer, const std::string& folderName) {
    struct Search {
        DWORD installer;
        std::string name;
        bool found = false;
    } search{installer, folderName};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if (pid != s->installer && IsWindowVisible(window) &&
                driver::WindowText(window).find(s->name) != std::string::npos)
                s->found = true;
            return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Complete(Road& road) {
    road.MakeDir();
    HWND form5 = road.OpenExtraction();
    road.Press(form5, 'E');
    auto done = driver::WaitMessageBox(road.process->Pid(), "Information", kWait);
    ASSERT_EQ(done.text, "Install Completed!");
    driver::PressOk(done.hwnd);
}

TEST(InstallRoad, ACompletedInstallHandsTheRegistryFileAndTheFolderToTheShell) {
    const char* key = "Software\\Korvadel Road Test";
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
    Road road(Ini({{"REG.......", "korvadel.reg"}}));
    road.folder.Write(
        "korvadel.reg",
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Korvadel Road Test]\r\n\"Installed\"=\"yes\"\r\n");
    Complete(road);
    EXPECT_TRUE(driver::WaitUntil([&] { return KeyExists(key); }, kWait));
    EXPECT_TRUE(driver::WaitUntil([&] { return FolderWindowShown(road.process->Pid(), "Korvadel"); }, kWait));
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
}

TEST(InstallRoad, NoneOpensNothingButTheFolder) {
    const char* key = "Software\\Korvadel Road Test None";
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
    Road road(Ini({{"REG.......", "NONE"}}));
    // Were the setting taken as a file name, this would be imported.
    road.folder.Write("NONE.reg",
                      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Korvadel Road Test None]\r\n");
    Complete(road);
    EXPECT_TRUE(driver::WaitUntil([&] { return FolderWindowShown(road.process->Pid(), "Korvadel"); }, kWait));
    EXPECT_FALSE(driver::WaitUntil([&] { return KeyExists(key); }, 2000));
}

} // namespace

namespace {

using namespace installer;

TEST(InstallRoad, MembersThatCannotBeCreatedAreCountedAndTheRestIsWhole) {
    Road road(Ini({{"FILERAR...", "hostile.rar"}, {"FILES.....", "1"}}));
    fs::copy_file(Fixtures() / "rar5-hostile" / "hostile.rar", fs::path(road.folder.Path("hostile.rar")));
    road.MakeDir();
    HWND form5 = road.OpenExtraction();
    road.Press(form5, 'E');
    auto warning = driver::WaitMessageBox(road.process->Pid(), "Warning", kWait);
    EXPECT_NE(warning.text.find("could not be installed: the file could not be created"), std::string::npos)
        << warning.text;
    std::string refused = ReadAll(Fixtures() / "rar5-hostile.refused");
    std::string count = std::to_string(std::count(refused.begin(), refused.end(), '\n'));
    EXPECT_NE(warning.text.find("Files that failed: " + count + "."), std::string::npos) << warning.text;
    driver::PressOk(warning.hwnd);
    ASSERT_TRUE(
        driver::WaitUntil([&] { return driver::WindowText(road.form2) == "Install Aborted!"; }, kWait));
    EXPECT_EQ(Tree(road.Target()), Tree(Fixtures() / "rar5-hostile.expected"));
    // Nothing landed beside the target.
    EXPECT_FALSE(fs::exists(fs::path(road.folder.Root()) / "evil.txt"));
    EXPECT_FALSE(fs::exists(fs::path(road.folder.Root()) / "win-evil.txt"));
}

} // namespace

namespace {

using namespace installer;

// A medium whose first member takes a while to install, for what the user does while its data flows:
// 1.5 GiB stored over volumes of 512 MiB, then a small file. Written once by the publisher's writer
// from a sparse file of zeros.
struct LongMedium {
    static constexpr std::uintmax_t kSize = 3ull << 29;
    static constexpr char kAfter[] = "After the long one.\r\n";
    driver::ProductFolder folder;
    fs::path set{folder.Path("set")};
    int volumes = 0;

    LongMedium() {
        fs::path source(folder.Path("long.bin"));
        std::ofstream(source, std::ios::binary).close();
        fs::resize_file(source, kSize);
        folder.Write("after.txt", kAfter);
        fs::create_directory(set);
        medium::ArchiveOptions options;
        options.volumeSize = 512u << 20;
        volumes = int(medium::WriteArchive(
                          set / "long.rar",
                          {{source, "long.bin", false, kSize, 0},
                           {fs::path(folder.Path("after.txt")), "after.txt", false, sizeof kAfter - 1, 0}},
                          options, [](std::uint64_t) { return true; })
                          .size());
    }
    std::string Settings() const {
        return Ini({{"FILERAR...", "long.part1.rar"}, {"FILES.....", std::to_string(volumes)}});
    }
};

const LongMedium& Long() {
    static const LongMedium medium;
    return medium;
}

// Extract on the long medium without its second volume: the installer asks for it while the long
// member is half-way, so that whatever the test does next happens while that member is in progress.
struct LongRoad : Road {
    LongRoad() : Road(Long().Settings(), false, Long().set, Lay::Link) {
        MakeDir();
        form5 = OpenExtraction();
        Press(form5, 'E');
        ask = driver::WaitMessageBox(process->Pid(), "Information", kWait);
    }
    fs::path Member() const { return fs::path(Target()) / "long.bin"; }
    bool MemberDone() const {
        std::error_code error;
        return fs::file_size(Member(), error) == LongMedium::kSize;
    }
    // What the user must never see after Cancel: the install reported complete, an error box, or the
    // target handed to the shell.
    void ExpectNothingCompleted() {
        EXPECT_EQ(driver::CountMessageBoxes(process->Pid(), "Information"), 0);
        EXPECT_EQ(driver::CountMessageBoxes(process->Pid(), "Korvadel Installer v1.0"), 0);
        EXPECT_FALSE(fs::exists(fs::path(Target()) / "after.txt"));
        EXPECT_FALSE(FolderWindowShown(process->Pid(), "Korvadel"));
    }

    HWND form5 = nullptr;
    driver::MessageBoxWindow ask;
};

// A real click where the window shows, not covered by another, in its client area.
void ClickVisiblePart(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    for (int y = r.top + 2; y < r.bottom; y += 4)
        for (int x = r.left + 2; x < r.right; x += 4)
            if (GetAncestor(WindowFromPoint({x, y}), GA_ROOT) == window)
                return driver::RealClick(x, y);
    ADD_FAILURE() << driver::Describe(window) << " shows nowhere";
}

void ClickControl(Road& road, HWND form, const std::string& control) {
    int left, top, width, height;
    std::string bounds = road.Field(form, control, "bounds");
    ASSERT_EQ(sscanf(bounds.c_str(), "%d,%d,%d,%d", &left, &top, &width, &height), 4) << bounds;
    POINT centre{left + width / 2, top + height / 2};
    ClientToScreen(form, &centre);
    driver::RealClick(centre.x, centre.y);
}

// Once Cancel is given, nothing the user does before the run has returned turns it into a completed
// install. Each way ends with the directory dialog saying that the install was aborted, and the next
// Extract installs the whole medium.
TEST(InstallRoad, AfterCancelNothingTheUserDoesCompletesTheRun) {
    auto directoryDialog = [](LongRoad& road) {
        ASSERT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(road.form2); }, kWait));
    };
    const struct {
        const char* action;
        std::function<void(LongRoad&)> act;
    } actions[] = {
        {"a click on the extraction dialog", [](LongRoad& road) { ClickVisiblePart(road.form5); }},
        {"Enter in the directory dialog",
         [&](LongRoad& road) {
             directoryDialog(road);
             driver::SendKeys(road.form2, {VK_RETURN});
         }},
        {"a click on Install",
         [&](LongRoad& road) {
             directoryDialog(road);
             ClickControl(road, road.form2, "SpeedButton1");
         }},
    };
    for (const auto& action : actions) {
        SCOPED_TRACE(action.action);
        LongRoad road;
        road.Bring(Long().set / "long.part2.rar", Lay::Link);
        // Both posted: the box ends on its OK, and Cancel waits in the queue for the data that follows.
        PostMessageA(road.ask.hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        road.Press(road.form5, 'C');
        ASSERT_TRUE(driver::WaitUntil(
            [&] {
                return IsWindowVisible(road.form2) ||
                       road.Field(road.form5, "SpeedButton2", "enabled") == "0";
            },
            kWait));
        ASSERT_FALSE(road.MemberDone()) << "the member was done before the user could act";
        action.act(road);
        // The member in progress is finished; the run then ends, unless something stops it.
        EXPECT_TRUE(driver::WaitUntil(
            [&] {
                return road.MemberDone() ||
                       driver::CountMessageBoxes(road.process->Pid(), "Korvadel Installer v1.0") > 0;
            },
            kWait));
        EXPECT_TRUE(driver::WaitUntil(
            [&] { return IsWindowVisible(road.form2) != IsWindowVisible(road.form5); }, kWait));
        Sleep(500);
        road.ExpectNothingCompleted();
        EXPECT_EQ(driver::WindowText(road.form2), "Install Aborted!");

        if (!IsWindowVisible(road.form5))
            road.OpenExtraction();
        road.Press(road.form5, 'E');
        auto done = driver::WaitMessageBox(road.process->Pid(), "Information", kWait);
        EXPECT_EQ(done.text, "Install Completed!");
        EXPECT_TRUE(road.MemberDone());
        EXPECT_EQ(ReadAll(fs::path(road.Target()) / "after.txt"), LongMedium::kAfter);
        driver::PressOk(done.hwnd);
    }
}

// The volume prompt has a way out: its Cancel, Escape and its close box end the run as Cancel does.
// The member that needed the volume cannot be finished: nothing of it is left.
TEST(InstallRoad, TheVolumePromptsCancelEndsTheRunAndLeavesNothingOfTheMember) {
    const struct {
        const char* way;
        std::function<void(HWND)> answer;
    } ways[] = {
        {"Cancel", [](HWND box) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }},
        {"Escape", [](HWND box) { driver::SendKeys(box, {VK_ESCAPE}); }},
        {"close box", [](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        LongRoad road;
        EXPECT_EQ(road.ask.text, "Insert the disk with " + road.folder.Path("long.part2.rar"));
        EXPECT_NE(GetDlgItem(road.ask.hwnd, IDCANCEL), nullptr);
        way.answer(road.ask.hwnd);
        ASSERT_TRUE(driver::WaitUntil(
            [&] {
                return IsWindowVisible(road.form2) && !IsWindowVisible(road.form5) &&
                       driver::WindowText(road.form2) == "Install Aborted!";
            },
            kWait));
        Sleep(500);
        road.ExpectNothingCompleted();
        EXPECT_EQ(driver::CountMessageBoxes(road.process->Pid(), "Warning"), 0);
        EXPECT_TRUE(fs::is_empty(road.Target()));
    }
}

} // namespace
