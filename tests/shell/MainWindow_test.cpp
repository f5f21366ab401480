#include "tests/shell/Installer.h"

#include <cstdlib>

namespace {

using namespace installer;

const std::string kCaption = "Korvadel Installer..." + std::string(59, ' ') + "CODE/GFX : tazo";

// Which of the three lit words show, as "install", "nfo", "quit" joined by spaces.
std::string Lit(HWND main) {
    driver::Inspection inspection = driver::Inspect(main);
    std::string lit;
    for (const auto& [name, word] : {std::pair{"Image2", "install"}, {"Image3", "nfo"}, {"Image4", "quit"}})
        if (driver::Field(inspection.Find(name), "visible") == "1")
            lit += lit.empty() ? word : std::string(" ") + word;
    return lit.empty() ? "none" : lit;
}

// Sent rather than posted: a sent inspection would overtake a posted move.
void Move(HWND main, int x, int y) {
    DWORD_PTR result;
    SendMessageTimeoutA(main, WM_MOUSEMOVE, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, kWait, &result);
}

std::string MoveAndLook(HWND main, int x, int y) {
    Move(main, x, y);
    return Lit(main);
}

// The window's pixels once painting has settled.
driver::Pixels Settled(HWND main) {
    driver::Pixels last = driver::Capture(main, false);
    driver::WaitUntil(
        [&] {
            driver::Pixels now = driver::Capture(main, false);
            bool same = now.pixels == last.pixels;
            last = std::move(now);
            return same;
        },
        kWait);
    return last;
}

TEST(MainWindow, HasItsFixedFrameCaptionAndPlace) {
    Session run;
    HWND main = run.MainWindow();
    EXPECT_EQ(driver::WindowText(main), kCaption);
    EXPECT_EQ(kCaption.size(), 95u);
    SIZE client = driver::ClientSize(main);
    EXPECT_EQ(client.cx, 464);
    EXPECT_EQ(client.cy, 343);
    DWORD style = driver::Style(main);
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
    RECT r;
    GetWindowRect(main, &r);
    EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    // The close button a user might look for is not there, and a system close is refused.
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.process->WaitExit(500), std::nullopt);
    EXPECT_TRUE(IsWindowVisible(main));
}

TEST(MainWindow, ControlsComeFromTheDefinitionWithTheStatusLineFromTheSettings) {
    Session run;
    driver::Inspection inspection = driver::Inspect(run.MainWindow());
    std::vector<std::string> names;
    for (const auto& component : inspection.components)
        names.push_back(driver::Field(component, "name"));
    EXPECT_EQ(names, (std::vector<std::string>{"Image1", "Image2", "Image4", "Image3", "Label4",
                                               "ScrollText1", "Label1", "Label2", "Label3", "PopupMenu1",
                                               "Install1", "rlxnfo1", "Quit1", "MSOfficeCaption1"}));
    const std::pair<const char*, driver::Record> expected[] = {
        {"Label4",
         {{"caption", "Korvadel: The Lost Halls"},
          {"bounds", "60,261,404,18"},
          {"font.name", "Arial"},
          {"font.height", "-15"},
          {"font.charset", "0"},
          {"font.color", "0x00808080"},
          {"transparent", "1"}}},
        {"Image1", {{"picture.size", "464,343"}}},
        {"Image2", {{"bounds", "12,289,122,52"}, {"picture.size", "123,52"}, {"hint", "Install Game"}}},
        {"Image3", {{"hint", "Read Game Info"}}},
        {"Image4", {{"hint", "Exit Installer"}}},
        {"Label1", {{"showhint", "0"}}},
        {"Install1", {{"shortcut", "16457"}}},
        {"rlxnfo1", {{"caption", "Korvadel.nfo"}}},
    };
    for (const auto& [name, fields] : expected)
        EXPECT_EQ(driver::Fields(inspection.Find(name), fields), fields) << name;
    EXPECT_EQ(driver::Field(inspection.form, "popupmenu"), "PopupMenu1");
}

// Grey pixels of the status line's text between two columns of the window.
int GreyText(const driver::Pixels& shown, int left, int right) {
    int grey = 0;
    for (int y = 261; y < 279; ++y)
        for (int x = left; x < right; ++x) {
            uint32_t p = shown.At(x, y);
            int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
            grey += r > 0x60 && r < 0xA0 && std::abs(r - g) < 12 && std::abs(g - b) < 12;
        }
    return grey;
}

TEST(MainWindow, TheStatusLineIsDrawnInGreyOverThePicture) {
    Session run;
    HWND main = run.MainWindow();
    EXPECT_GT(GreyText(Settled(main), 60, 300), 40) << "no grey text in the status line";
}

TEST(MainWindow, TheStatusLineIsBlankWithoutAProductNameAndCutAtItsWidthWithALongOne) {
    // Words first, so that a line broken at a word would end well before the edge of the window.
    const std::string longName = "Korvadel: The Lost Halls " + std::string(225, 'M');
    for (const std::string& name : {std::string(), longName}) {
        Session run("[OPTIONS]\r\nAPPZ......=" + name + "\r\n");
        HWND main = run.MainWindow();
        const auto& status = driver::Inspect(main).Find("Label4");
        EXPECT_EQ(driver::Field(status, "caption"), name);
        EXPECT_EQ(driver::Field(status, "bounds"), "60,261,404,18");
        // The label ends with the window: the text runs on to its last columns.
        driver::Pixels shown = Settled(main);
        if (name.empty())
            EXPECT_EQ(GreyText(shown, 60, 464), 0);
        else
            EXPECT_GT(GreyText(shown, 444, 464), 10);
    }
}

TEST(MainWindow, SettingsComeFromBesideTheProgramWhateverTheCurrentDirectory) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    Session run(kStandardIni, "", temp);
    EXPECT_EQ(driver::Field(driver::Inspect(run.MainWindow()).Find("Label4"), "caption"),
              "Korvadel: The Lost Halls");
}

TEST(MainWindow, AtMostOneWordIsLitAndOnlyMovesChangeIt) {
    Session run;
    HWND main = run.MainWindow();
    EXPECT_EQ(Lit(main), "none");
    EXPECT_EQ(MoveAndLook(main, 30, 300), "install");  // the install hot area
    EXPECT_EQ(MoveAndLook(main, 130, 336), "install"); // its lit picture, outside the hot area
    EXPECT_EQ(MoveAndLook(main, 200, 100), "none");    // the background
    EXPECT_EQ(MoveAndLook(main, 130, 336), "none");    // an unlit picture takes no mouse
    EXPECT_EQ(MoveAndLook(main, 230, 310), "nfo");
    EXPECT_EQ(MoveAndLook(main, 390, 310), "quit");
    EXPECT_EQ(MoveAndLook(main, 428, 336), "quit");
    EXPECT_EQ(MoveAndLook(main, 30, 300), "install");
    // Leaving the window changes nothing.
    Move(main, 600, 600);
    EXPECT_EQ(Lit(main), "install");
    MoveAndLook(main, 5, 5);
    for (const char* label : {"Label1", "Label2", "Label3"})
        EXPECT_EQ(driver::Field(driver::Inspect(main).Find(label), "font.color"), "0x00FFFFFF");
}

TEST(MainWindow, ALitWordChangesOnlyItsOwnPixels) {
    Session run;
    HWND main = run.MainWindow();
    driver::Pixels plain = Settled(main);
    MoveAndLook(main, 30, 300);
    driver::Pixels lit = Settled(main);
    int changedInside = 0, changedOutside = 0;
    for (int y = 0; y < plain.height; ++y)
        for (int x = 0; x < plain.width; ++x) {
            // The scrolling line moves on its own timer: a tick may fall between the two pictures.
            if (x >= 58 && y >= 6 && y < 24)
                continue;
            bool inside = x >= 12 && x < 134 && y >= 289 && y < 341;
            bool changed = plain.At(x, y) != lit.At(x, y);
            (inside ? changedInside : changedOutside) += changed;
        }
    EXPECT_GT(changedInside, 200);
    EXPECT_EQ(changedOutside, 0);
}

TEST(MainWindow, TheInstallWordOpensTheDirectoryDialogModally) {
    Session run;
    HWND main = run.MainWindow();
    driver::PostLeftClick(main, 30, 300); // the hot area, while the lit picture under it is hidden
    HWND dialog = driver::WaitWindow(run.process->Pid(), "TForm2", "Select a Directory", kWait);
    EXPECT_TRUE(driver::WaitUntil([main] { return !IsWindowEnabled(main); }, kWait));
    SIZE client = driver::ClientSize(dialog);
    EXPECT_EQ(client.cx, 321);
    EXPECT_EQ(client.cy, 287);
    EXPECT_EQ(driver::Style(dialog) & (WS_SYSMENU | WS_THICKFRAME), 0u);
}

TEST(MainWindow, CtrlIOpensTheDirectoryDialog) {
    Session run;
    driver::SendKeys(run.MainWindow(), {VK_CONTROL, 'I'});
    driver::WaitWindow(run.process->Pid(), "TForm2", "Select a Directory", kWait);
}

TEST(MainWindow, TheInfoRoadsOpenTheViewerWhichAClickCloses) {
    Session run;
    HWND main = run.MainWindow();
    const std::function<void()> roads[] = {
        [&] { driver::PostLeftClick(main, 230, 310); },
        [&] {
            Move(main, 230, 310);
            driver::PostLeftClick(main, 266, 336); // the lit picture outside the hot area
        },
        [&] {
            driver::SendKeys(main, {VK_CONTROL, 'N'});
        },
    };
    for (const auto& road : roads) {
        road();
        HWND viewer = driver::WaitWindow(run.process->Pid(), "TForm4", nullptr, kWait);
        SIZE client = driver::ClientSize(viewer);
        EXPECT_EQ(client.cx, 514);
        EXPECT_EQ(client.cy, 422);
        EXPECT_EQ(driver::Style(viewer) & WS_CAPTION, 0u);
        EXPECT_FALSE(IsWindowEnabled(main));
        driver::PostLeftClick(viewer, 100, 100);
        EXPECT_TRUE(driver::WaitUntil([viewer] { return !IsWindowVisible(viewer); }, kWait));
        EXPECT_TRUE(driver::WaitUntil([main] { return IsWindowEnabled(main); }, kWait));
    }
}

TEST(MainWindow, TheRightButtonOpensTheMenuAndEscapeClosesIt) {
    Session run;
    HWND main = run.MainWindow();
    driver::PostRightClick(main, 200, 100);
    HWND menu = driver::WaitWindow(run.process->Pid(), "#32768", nullptr, kWait);
    // Menus are not shared between processes here: the entries are judged by the menu's height.
    RECT r;
    GetWindowRect(menu, &r);
    EXPECT_GT(r.bottom - r.top, 3 * 13);
    EXPECT_LT(r.bottom - r.top, 4 * 24);
    driver::SendKeys(main, {VK_ESCAPE});
    EXPECT_TRUE(driver::WaitUntil([menu] { return !IsWindowVisible(menu); }, kWait));
    EXPECT_EQ(run.process->WaitExit(300), std::nullopt);
}

} // namespace

namespace {

using namespace installer;

// The visible tooltip of the process, or nullptr.
HWND ShownTip(DWORD pid) {
    for (HWND window : driver::TopWindows(pid))
        if (driver::ClassName(window) == "tooltips_class32")
            return window;
    return nullptr;
}

TEST(MainWindow, TheLitPictureShowsItsHintAndTheHotAreaNone) {
    Session run;
    HWND main = run.MainWindow();
    POINT origin{0, 0};
    ClientToScreen(main, &origin);
    // Over the lit picture outside the hot area: its hint.
    driver::RealMouseMove(origin.x + 30, origin.y + 300);
    driver::RealMouseMove(origin.x + 130, origin.y + 336);
    HWND tip = nullptr;
    ASSERT_TRUE(driver::WaitUntil([&] { return (tip = ShownTip(run.process->Pid())) != nullptr; }, kWait));
    // The tip's own text does not cross processes here; the window tells which hint it offers.
    EXPECT_EQ(driver::Field(driver::Inspect(main).form, "hint.shown"), "Install Game");
    driver::Pixels shown = driver::Capture(tip, true);
    EXPECT_GT(shown.width, 40);
    // Over the hot area, which shows no hints, the tip goes.
    driver::RealMouseMove(origin.x + 60, origin.y + 310);
    EXPECT_TRUE(driver::WaitUntil([&] { return ShownTip(run.process->Pid()) == nullptr; }, kWait));
    driver::RealMouseMove(1020, 760);
}

} // namespace

namespace {

using namespace installer;

TEST(MainWindow, TheScrollingLineCarriesTheSettingWithTheWindowsSettings) {
    Session run;
    driver::Inspection inspection = driver::Inspect(run.MainWindow());
    const driver::Record expected = {{"bounds", "58,6,406,18"},
                                     {"lines", "Welcome to Korvadel\r\n"},
                                     {"steps", "50"},
                                     {"speed", "130"},
                                     {"color", "0x00FFFFFF"},
                                     {"alignment", "0"},
                                     {"continuous", "1"},
                                     {"scrolling", "1"},
                                     {"font.name", "Arial"},
                                     {"font.height", "-13"},
                                     {"font.color", "0x00808080"},
                                     {"showhint", "1"}};
    EXPECT_EQ(driver::Fields(inspection.Find("ScrollText1"), expected), expected);
}

TEST(MainWindow, AnEmptyScrollingTextGivesNoLines) {
    Session run("[OPTIONS]\r\nSCRTXT....=\r\n");
    EXPECT_EQ(driver::Field(driver::Inspect(run.MainWindow()).Find("ScrollText1"), "lines"), "");
}

TEST(MainWindow, TheTextEntersAtTheRightAndLeavesAtTheLeft) {
    Session run;
    HWND main = run.MainWindow();
    // The leftmost and rightmost grey columns of the line, or -1 when it is blank.
    auto textSpan = [&] {
        driver::Pixels client = driver::Capture(main, false);
        int left = -1, right = -1;
        for (int x = 58; x < 464; ++x)
            for (int y = 6; y < 24; ++y)
                if (client.At(x, y) != 0xFFFFFF) {
                    if (left < 0)
                        left = x - 58;
                    right = x - 58;
                    break;
                }
        return std::pair{left, right};
    };
    bool enteredRight = false, leftLeft = false, movedLeft = false;
    int last = -1;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 8000 && !(enteredRight && leftLeft && movedLeft)) {
        auto [left, right] = textSpan();
        enteredRight |= left > 300 && right == 405;
        leftLeft |= left == 0 && right >= 0 && right < 100;
        movedLeft |= last > 0 && left >= 0 && left < last && left > last - 60;
        last = left;
        Sleep(100);
    }
    EXPECT_TRUE(enteredRight);
    EXPECT_TRUE(leftLeft);
    EXPECT_TRUE(movedLeft);
}

} // namespace
