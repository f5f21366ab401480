// The driver against a program of known behaviour (driver_target.cpp), in the rig's desktop.
#include "tests/driver/Driver.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

const DWORD Timeout = 10000;
const uint32_t Background = 0x336699;
const uint32_t SquareOff = 0xFFFF00;
const uint32_t SquareOn = 0x00C000;

struct Target {
    driver::ProductFolder folder;
    driver::Process process;
    HWND window;

    explicit Target(const std::string& arguments = {})
        : process(Copied(folder), arguments, folder.Root()),
          window(driver::WaitWindow(process.Pid(), "KorvadelDriverTarget", "Driver target", Timeout)) {}

    static std::string Copied(driver::ProductFolder& folder) {
        folder.Copy("driver_target.exe");
        return folder.Path("driver_target.exe");
    }

    int Count(const char* what) { return std::stoi(driver::Field(driver::Inspect(window).form, what)); }
};

TEST(DriverFolder, HoldsExactBytesAndGoesAwayWithEverythingInIt) {
    std::string root;
    {
        driver::ProductFolder folder;
        root = folder.Root();
        const std::string bytes("[Setup]\r\nPath=C:\\Games\r\n\0\x1A\xFF", 27);
        folder.Write("install.ini", bytes);
        folder.Write("data/sub/file.bin", "x");
        EXPECT_EQ(folder.Read("install.ini"), bytes);
        EXPECT_TRUE(folder.Exists("data\\sub\\file.bin"));
        folder.Copy("driver_target.exe", "copy.exe");
        EXPECT_TRUE(folder.Exists("copy.exe"));
        EXPECT_THROW(folder.Copy("no-such-file.exe"), std::runtime_error);
    }
    EXPECT_EQ(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES) << root << " is still there";
}

TEST(DriverProcess, ReportsTheExitCode) {
    driver::ProductFolder folder;
    folder.Copy("driver_target.exe");
    driver::Process process(folder.Path("driver_target.exe"), "exit 5", folder.Root());
    EXPECT_EQ(process.WaitExit(Timeout), 5u);
}

TEST(DriverProcess, AWindowAwaitedFromAnEndedProgramFailsAtOnce) {
    driver::ProductFolder folder;
    folder.Copy("driver_target.exe");
    driver::Process process(folder.Path("driver_target.exe"), "exit 0", folder.Root());
    DWORD start = GetTickCount();
    EXPECT_THROW(driver::WaitWindow(process.Pid(), nullptr, nullptr, Timeout), std::runtime_error);
    EXPECT_LT(GetTickCount() - start, Timeout / 2);
}

TEST(DriverProcess, KillsTheProgramWhenDestroyed) {
    DWORD pid;
    {
        Target target;
        pid = target.process.Pid();
    }
    HANDLE gone = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (gone) {
        EXPECT_EQ(WaitForSingleObject(gone, 0), WAIT_OBJECT_0);
        CloseHandle(gone);
    }
}

TEST(DriverWindows, FindsTheWindowAndItsClientArea) {
    Target target;
    EXPECT_EQ(driver::WindowText(target.window), "Driver target");
    SIZE client = driver::ClientSize(target.window);
    EXPECT_EQ(client.cx, 300);
    EXPECT_EQ(client.cy, 200);
    EXPECT_TRUE(driver::Style(target.window) & WS_CAPTION);
    EXPECT_THROW(driver::WaitWindow(target.process.Pid(), "NoSuchClass", nullptr, 200), std::runtime_error);
}

TEST(DriverInspection, ReadsTheFormAndItsComponents) {
    Target target;
    auto inspection = driver::Inspect(target.window);
    EXPECT_EQ(driver::Field(inspection.form, "name"), "TargetForm");
    EXPECT_EQ(driver::Field(inspection.Find("Square"), "bounds"), "10,10,50,50");
    EXPECT_EQ(driver::Field(inspection.Find("Escapes"), "caption"), "tab\there\nback\\slash");
    EXPECT_EQ(driver::Field(inspection.Find("Escapes"), "caption.empty"), "");
}

TEST(DriverInspection, AWindowThatDoesNotAnswerIsAnError) {
    Target target;
    HWND desktop = GetDesktopWindow();
    EXPECT_THROW(driver::Inspect(desktop), std::runtime_error);
}

TEST(DriverInput, PostedClicksReachTheWindow) {
    Target target;
    driver::PostMouseMove(target.window, 150, 150);
    driver::PostLeftClick(target.window, 150, 150);
    driver::PostRightClick(target.window, 150, 150);
    EXPECT_TRUE(driver::WaitUntil([&] { return target.Count("leftClicks") == 1; }, Timeout));
    EXPECT_TRUE(driver::WaitUntil([&] { return target.Count("rightClicks") == 1; }, Timeout));
    // Nothing but the window's own DefWindowProc turns the right click into a context menu request.
    EXPECT_TRUE(driver::WaitUntil([&] { return target.Count("contextMenus") == 1; }, Timeout));
    EXPECT_GE(target.Count("moves"), 1);
}

TEST(DriverInput, RealInputMovesTheCursorAndClicks) {
    Target target;
    POINT square = {35, 35};
    ClientToScreen(target.window, &square);
    int moves = target.Count("moves");
    driver::RealMouseMove(square.x, square.y);
    EXPECT_TRUE(driver::WaitUntil([&] { return target.Count("moves") > moves; }, Timeout));
    POINT cursor = {};
    GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x, square.x);
    EXPECT_EQ(cursor.y, square.y);
    driver::RealClick(square.x, square.y);
    EXPECT_TRUE(driver::WaitUntil([&] { return target.Count("leftClicks") == 1; }, Timeout));
}

TEST(DriverInput, KeysOpenAMessageBoxThatOkCloses) {
    Target target;
    driver::SendKeys(target.window, {VK_CONTROL, 'Q'});
    auto box = driver::WaitMessageBox(target.process.Pid(), "Target question", Timeout);
    EXPECT_EQ(box.text, "Quit the target?\nIt ends with code 3.");
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(driver::CountMessageBoxes(target.process.Pid(), "Target question"), 1);
    driver::PressOk(box.hwnd);
    EXPECT_EQ(target.process.WaitExit(Timeout), 3u);
}

TEST(DriverMessageBoxes, TellABoxWithoutAnIcon) {
    driver::ProductFolder folder;
    folder.Copy("driver_target.exe");
    driver::Process process(folder.Path("driver_target.exe"), "notice", folder.Root());
    auto box = driver::WaitMessageBox(process.Pid(), "Target notice", Timeout);
    EXPECT_EQ(box.text, "No icon here.");
    EXPECT_FALSE(box.hasIcon);
    EXPECT_EQ(driver::CountMessageBoxes(process.Pid(), "Target question"), 0);
    EXPECT_THROW(driver::WaitMessageBox(process.Pid(), "Target question", 200), std::runtime_error);
    driver::PressOk(box.hwnd);
    EXPECT_EQ(driver::CountMessageBoxes(process.Pid(), "Target notice"), 0);
}

TEST(DriverCapture, SeesWhatTheWindowPaintsAndItsFrame) {
    Target target;
    ASSERT_TRUE(driver::WaitUntil(
        [&] { return driver::Capture(target.window, false).At(150, 150) == Background; }, Timeout));
    auto client = driver::Capture(target.window, false);
    EXPECT_EQ(client.width, 300);
    EXPECT_EQ(client.height, 200);
    EXPECT_EQ(client.At(0, 0), Background);
    EXPECT_EQ(client.At(10, 10), SquareOff);
    EXPECT_EQ(client.At(59, 59), SquareOff);
    EXPECT_EQ(client.At(60, 60), Background);

    auto framed = driver::Capture(target.window, true);
    RECT window = {};
    GetWindowRect(target.window, &window);
    EXPECT_EQ(framed.width, window.right - window.left);
    EXPECT_EQ(framed.height, window.bottom - window.top);
    POINT origin = {0, 0};
    ClientToScreen(target.window, &origin);
    // The title bar Wine draws is not the client's colour.
    EXPECT_NE(framed.At(framed.width / 2, (origin.y - window.top) / 2), Background);
    EXPECT_EQ(framed.At(origin.x - window.left + 150, origin.y - window.top + 150), Background);

    driver::PostLeftClick(target.window, 35, 35);
    bool repainted = driver::WaitUntil(
        [&] { return driver::Capture(target.window, false).At(35, 35) == SquareOn; }, Timeout);
    if (!repainted)
        driver::SaveBmp(driver::Capture(target.window, true), "driver_capture_failure.bmp");
    EXPECT_TRUE(repainted) << "see driver_capture_failure.bmp";
}

} // namespace
