#include "tests/shell/Installer.h"

namespace {

using namespace installer;

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Quitting through each road stops the music once, closes the library once, and ends with 0.
void ExpectCleanQuit(const std::function<void(Session&, HWND)>& quit) {
    Session run;
    HWND main = run.MainWindow();
    quit(run, main);
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(run.Calls(), Join(kStartCalls, {"MIDASstopBackgroundPlay()", "MIDASclose()"}));
}

TEST(Startup, TheQuitWordEndsTheProgramAfterStoppingTheMusic) {
    ExpectCleanQuit([](Session&, HWND main) { driver::PostLeftClick(main, 390, 310); });
}

TEST(Startup, TheLitQuitPictureEndsTheProgramToo) {
    ExpectCleanQuit([](Session&, HWND main) {
        driver::PostMouseMove(main, 390, 310);
        driver::PostLeftClick(main, 428, 336); // on the lit picture, outside the hot area
    });
}

TEST(Startup, CtrlQEndsTheProgram) {
    ExpectCleanQuit([](Session&, HWND main) { driver::SendKeys(main, {VK_CONTROL, 'Q'}); });
}

TEST(Startup, TheQuitMenuEntryEndsTheProgram) {
    ExpectCleanQuit([](Session& run, HWND main) {
        driver::PostRightClick(main, 200, 100);
        HWND menu = driver::WaitWindow(run.process->Pid(), "#32768", nullptr, kWait);
        ASSERT_NE(menu, nullptr);
        // From no selection, Up picks the last entry.
        driver::SendKeys(main, {VK_UP});
        driver::SendKeys(main, {VK_RETURN});
    });
}

// No system box about an empty drive, a missing disc or a file that cannot be opened, from the first
// call to the last: the program's own messages say what happened.
TEST(Startup, TheSystemsDriveBoxesAreOffForTheWholeRun) {
    Session run;
    HWND main = run.MainWindow();
    driver::SendKeys(main, {VK_CONTROL, 'Q'});
    EXPECT_EQ(run.ExitCode(), 0u);
    std::istringstream modes(run.folder.Read("install.dll.errormode"));
    std::vector<UINT> seen;
    for (UINT mode; modes >> mode;)
        seen.push_back(mode & (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
    EXPECT_EQ(seen, (std::vector<UINT>(2, SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)));
}

TEST(Startup, AFailingInitShowsTheLibrarysTextAndNoWindow) {
    Session run(kStandardIni,
                "[results]\r\nMIDASinit=0\r\n[error]\r\ncode=12\r\nmessage=No sound card found\r\n");
    auto box = driver::WaitMessageBox(run.process->Pid(), "MIDAS Error", kWait);
    EXPECT_EQ(box.text, "No sound card found");
    EXPECT_FALSE(box.hasIcon);
    EXPECT_EQ(driver::CountMessageBoxes(run.process->Pid(), "MIDAS Error"), 1);
    for (HWND window : driver::TopWindows(run.process->Pid()))
        EXPECT_NE(driver::ClassName(window), "TForm1");
    driver::PressOk(box.hwnd);
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(run.Calls(), (std::vector<std::string>{"MIDASstartup()", "MIDASinit()", "MIDASgetLastError()",
                                                     "MIDASgetErrorMessage(12)", "MIDASclose()"}));
}

TEST(Startup, OnlyTheLowestByteOfABooleanCounts) {
    Session run(kStandardIni, "[results]\r\nMIDASstartBackgroundPlay=256\r\n");
    auto box = driver::WaitMessageBox(run.process->Pid(), "MIDAS Error", kWait);
    EXPECT_EQ(box.text, "The double was told to fail");
    driver::PressOk(box.hwnd);
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(run.Calls(),
              (std::vector<std::string>{"MIDASstartup()", "MIDASinit()", "MIDASstartBackgroundPlay(0)",
                                        "MIDASgetLastError()", "MIDASgetErrorMessage(7)", "MIDASclose()"}));
}

TEST(Startup, AFalseStartupChangesNothing) {
    Session run(kStandardIni, "[results]\r\nMIDASstartup=0\r\n");
    HWND main = run.MainWindow();
    driver::SendKeys(main, {VK_CONTROL, 'Q'});
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(run.Calls(), Join(kStartCalls, {"MIDASstopBackgroundPlay()", "MIDASclose()"}));
}

TEST(Startup, AFailingStopAtShutdownIsReportedAfterTheWindowsClosed) {
    Session run(kStandardIni, "[results]\r\nMIDASstopBackgroundPlay=0\r\n");
    HWND main = run.MainWindow();
    driver::SendKeys(main, {VK_CONTROL, 'Q'});
    auto box = driver::WaitMessageBox(run.process->Pid(), "MIDAS Error", kWait);
    EXPECT_FALSE(IsWindowVisible(main));
    driver::PressOk(box.hwnd);
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(run.Calls(), Join(kStartCalls, {"MIDASstopBackgroundPlay()", "MIDASgetLastError()",
                                              "MIDASgetErrorMessage(7)", "MIDASclose()"}));
}

TEST(Startup, AFailingModuleLoadEndsTheProgramWithoutStoppingBackgroundPlay) {
    Session run(kStandardIni, "[results]\r\nMIDASloadModule=0\r\n[error]\r\nmessage=File not found\r\n");
    auto box = driver::WaitMessageBox(run.process->Pid(), "MIDAS ERROR", kWait);
    EXPECT_EQ(box.text, "File not found");
    EXPECT_FALSE(box.hasIcon);
    driver::PressOk(box.hwnd);
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(run.Calls(),
              (std::vector<std::string>{"MIDASstartup()", "MIDASinit()", "MIDASstartBackgroundPlay(0)",
                                        "MIDASloadModule(\"install.dat\")", "MIDASgetLastError()",
                                        "MIDASgetErrorMessage(7)", "MIDASclose()"}));
}

TEST(Startup, AMainWindowThatCannotBeMadeIsReportedAndTheMusicStoppedAsAtTheEnd) {
    driver::RefusedWindowClass refused("TForm1");
    Session run;
    auto box = driver::WaitMessageBox(run.process->Pid(), "Korvadel Installer v1.0", kWait);
    EXPECT_EQ(box.text, "Cannot create the window Form1");
    EXPECT_TRUE(box.hasIcon);
    driver::PressOk(box.hwnd);
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(run.Calls(),
              (std::vector<std::string>{"MIDASstartup()", "MIDASinit()", "MIDASstartBackgroundPlay(0)",
                                        "MIDASstopBackgroundPlay()", "MIDASclose()"}));
}

// The shell's view of the program: the buttons of the task bar that stand for its windows. Wine's task
// bar keeps the handle of the window a button stands for as the button's identifier.
std::vector<std::pair<HWND, HWND>> TaskBarEntries(DWORD pid) {
    std::vector<std::pair<HWND, HWND>> entries;
    HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    for (HWND button = FindWindowExA(tray, nullptr, "Button", nullptr); button;
         button = FindWindowExA(tray, button, "Button", nullptr)) {
        auto window = reinterpret_cast<HWND>(GetWindowLongPtrA(button, GWLP_ID));
        DWORD owner = 0;
        if (IsWindowVisible(button) && window && GetWindowThreadProcessId(window, &owner) && owner == pid)
            entries.emplace_back(button, window);
    }
    return entries;
}

TEST(Startup, TheTaskBarEntryIsTheApplicationWindowUnderTheShortTitle) {
    Session run;
    DWORD pid = run.process->Pid();
    HWND main = run.MainWindow();
    driver::SendKeys(main, {VK_CONTROL, 'I'});
    HWND dialog = driver::WaitWindow(pid, "TForm2", nullptr, kWait);
    std::vector<std::pair<HWND, HWND>> entries;
    ASSERT_TRUE(driver::WaitUntil([&] { return (entries = TaskBarEntries(pid)).size() == 1; }, kWait))
        << entries.size() << " entries";
    auto [button, entry] = entries.front();
    EXPECT_EQ(driver::ClassName(entry), "TApplication");
    EXPECT_EQ(driver::WindowText(entry), "Korvadel Installer v1.0");
    // What the Windows task bar and Alt+Tab go by: the entry is a visible window without an owner that
    // is no tool window; every other window of the program is owned by it and asks for no entry.
    EXPECT_EQ(GetWindow(entry, GW_OWNER), nullptr);
    EXPECT_EQ(GetWindowLongA(entry, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE), 0);
    for (HWND window : driver::TopWindows(pid))
        if (window != entry) {
            HWND owner = window;
            while (GetWindow(owner, GW_OWNER))
                owner = GetWindow(owner, GW_OWNER);
            EXPECT_EQ(owner, entry) << driver::Describe(window);
            EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0) << driver::Describe(window);
        }
    // Minimised as the task bar's menu does it, the program's windows go together; the task-bar button
    // brings them back, the dialog on top and in control.
    PostMessageA(entry, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(driver::WaitUntil(
        [&] { return IsIconic(entry) && !IsWindowVisible(main) && !IsWindowVisible(dialog); }, kWait));
    RECT r;
    GetWindowRect(button, &r);
    driver::RealClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    driver::RealMouseMove(1020, 700);
    EXPECT_TRUE(driver::WaitUntil(
        [&] {
            return !IsIconic(entry) && IsWindowVisible(main) && IsWindowVisible(dialog) &&
                   GetForegroundWindow() == dialog;
        },
        kWait));
    EXPECT_FALSE(IsWindowEnabled(main));
    // Closing is not the entry's to do: the program ends only by its own exit paths.
    PostMessageA(entry, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(entry, WM_CLOSE, 0, 0);
    EXPECT_EQ(run.process->WaitExit(500), std::nullopt);
    EXPECT_TRUE(IsWindowVisible(dialog));
}

} // namespace
