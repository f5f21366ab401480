#include "Installer.h"

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

TEST(Startup, TheApplicationTitleIsTheShortOne) {
    Session run;
    HWND main = run.MainWindow();
    HWND application = nullptr;
    EnumThreadWindows(
        GetWindowThreadProcessId(main, nullptr),
        [](HWND window, LPARAM found) {
            if (driver::ClassName(window) == "TApplication")
                *reinterpret_cast<HWND*>(found) = window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&application));
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(driver::WindowText(application), "Korvadel Installer v1.0");
    EXPECT_EQ(GetWindow(main, GW_OWNER), application);
}

} // namespace
