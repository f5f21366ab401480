#include "tests/shell/Installer.h"

namespace {

using namespace installer;

// Opens the viewer with Ctrl+N and returns its window.
HWND OpenViewer(Session& run) {
    driver::SendKeys(run.MainWindow(), {VK_CONTROL, 'N'});
    return driver::WaitWindow(run.process->Pid(), "TForm4", nullptr, kWait);
}

std::string MemoText(HWND viewer) {
    return driver::Field(driver::Inspect(viewer).Find("Memo1"), "text");
}

void CloseByClick(HWND viewer, int x, int y) {
    driver::PostLeftClick(viewer, x, y);
    EXPECT_TRUE(driver::WaitUntil([viewer] { return !IsWindowVisible(viewer); }, kWait));
}

HWND MemoWindow(HWND viewer) {
    return FindWindowExA(viewer, nullptr, "Edit", nullptr);
}

TEST(Viewer, ShowsTheFileWithItsLineEndsMadeWhole) {
    Session run;
    run.folder.Write("korvadel.nfo", "first\nsecond\r\nthird\rfourth");
    HWND viewer = OpenViewer(run);
    EXPECT_EQ(MemoText(viewer), "first\r\nsecond\r\nthird\r\nfourth");
    EXPECT_EQ(driver::WindowText(viewer), "korvadel.nfo");
    EXPECT_EQ(SendMessageA(MemoWindow(viewer), EM_GETLINECOUNT, 0, 0), 4);
    CloseByClick(MemoWindow(viewer), 20, 20);
}

TEST(Viewer, OemBytesAreKeptAndTheirFramesDrawnAsLines) {
    Session run;
    std::string art = "\xC9\xCD\xCD\xCD\xBB\r\n\xBA A \xBA\r\n\xC8\xCD\xCD\xCD\xBC";
    run.folder.Write("korvadel.nfo", art + std::string("\0after the end", 14));
    HWND viewer = OpenViewer(run);
    driver::Inspection inspection = driver::Inspect(viewer);
    const auto& memo = inspection.Find("Memo1");
    const driver::Record expected = {{"text", art},
                                     {"font.name", "Terminal"},
                                     {"font.height", "-11"},
                                     {"font.charset", "255"},
                                     {"font.color", "0x00808080"},
                                     {"color", "0x00FFFFFF"},
                                     {"bounds", "0,0,515,422"},
                                     {"readonly", "1"}};
    EXPECT_EQ(driver::Fields(memo, expected), expected);
    // Drawn as a frame, its outer line is one stroke around everything drawn; drawn as letters, the
    // first stroke is a piece of the first letter.
    HWND text = MemoWindow(viewer);
    int lineHeight = HIWORD(SendMessageA(text, EM_POSFROMCHAR, 7, 0));
    RECT stroke = {}, all = {};
    EXPECT_TRUE(driver::WaitUntil(
        [&] {
            driver::Pixels shown = driver::Capture(text, false);
            stroke = driver::StrokeBounds(shown, 0x808080);
            all = driver::ColorBounds(shown, 0x808080);
            return EqualRect(&stroke, &all) && stroke.bottom - stroke.top > lineHeight;
        },
        kWait))
        << "first stroke " << stroke.left << "," << stroke.top << "-" << stroke.right << "," << stroke.bottom
        << " of everything drawn " << all.left << "," << all.top << "-" << all.right << "," << all.bottom;
    // The rig has no OEM face for "Terminal": the frame comes in the fixed-pitch stand-in.
    EXPECT_EQ(driver::Field(memo, "drawn.face"), "Courier New");
}

TEST(Viewer, LongLinesStayWholeAndTheScrollBarsDoNotClose) {
    Session run;
    run.folder.Write("korvadel.nfo", std::string(400, 'x') + "\r\nshort\r\n");
    HWND viewer = OpenViewer(run);
    HWND memo = MemoWindow(viewer);
    EXPECT_EQ(SendMessageA(memo, EM_GETLINECOUNT, 0, 0), 3);
    DWORD style = driver::Style(memo);
    EXPECT_TRUE(style & WS_HSCROLL);
    EXPECT_TRUE(style & WS_VSCROLL);
    RECT r;
    GetWindowRect(memo, &r);
    // A real click on the horizontal scroll bar, at the bottom of the text window.
    driver::RealClick(r.left + 200, r.bottom - 4);
    Sleep(300);
    EXPECT_TRUE(IsWindowVisible(viewer));
    // The scroll bar keeps the mouse until it has seen the button go up; a click before that is its.
    ASSERT_TRUE(driver::WaitUntil(
        [viewer] {
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(GetWindowThreadProcessId(viewer, nullptr), &info) && !info.hwndCapture;
        },
        kWait));
    driver::RealMouseMove(1020, 760);
    CloseByClick(memo, 20, 20);
}

TEST(Viewer, IsReadWithTheKeyboardAloneAndNoKeyClosesIt) {
    Session run;
    std::string text;
    for (int line = 0; line < 80; ++line)
        text += (line == 1 ? std::string(300, 'x') : "line " + std::to_string(line)) + "\r\n";
    run.folder.Write("korvadel.nfo", text);
    HWND viewer = OpenViewer(run);
    HWND memo = MemoWindow(viewer);
    auto focus = [viewer] { return driver::FocusOf(viewer); };
    ASSERT_TRUE(driver::WaitUntil([&] { return focus() == memo; }, kWait));
    auto topLine = [memo] { return SendMessageA(memo, EM_GETFIRSTVISIBLELINE, 0, 0); };
    auto firstColumnX = [memo] {
        return static_cast<short>(LOWORD(SendMessageA(memo, EM_POSFROMCHAR, 0, 0)));
    };
    driver::SendKeys(memo, {VK_NEXT});
    EXPECT_TRUE(driver::WaitUntil([&] { return topLine() > 0; }, kWait));
    driver::SendKeys(memo, {VK_CONTROL, VK_END});
    EXPECT_TRUE(driver::WaitUntil([&] { return topLine() > 40; }, kWait));
    // Back to the top, down to the long line and along to its end: the text scrolls sideways.
    driver::SendKeys(memo, {VK_CONTROL, VK_HOME});
    driver::SendKeys(memo, {VK_DOWN});
    driver::SendKeys(memo, {VK_END});
    EXPECT_TRUE(driver::WaitUntil([&] { return topLine() == 0 && firstColumnX() < -1000; }, kWait));
    for (WORD key : {VK_TAB, VK_RETURN, VK_ESCAPE}) {
        driver::SendKeys(memo, {key});
        Sleep(300);
        EXPECT_TRUE(IsWindowVisible(viewer)) << "key " << key;
        EXPECT_EQ(focus(), memo) << "key " << key;
    }
    EXPECT_EQ(MemoText(viewer), text);
}

TEST(Viewer, AMissingOrUnnamedFileIsReportedInsideTheViewer) {
    {
        Session run;
        HWND viewer = OpenViewer(run);
        EXPECT_EQ(MemoText(viewer), "Can`t load file korvadel.nfo");
        EXPECT_EQ(driver::WindowText(viewer), "NFO");
        CloseByClick(MemoWindow(viewer), 20, 20);
    }
    {
        Session run("[OPTIONS]\r\nNFO.......=\r\n");
        HWND viewer = OpenViewer(run);
        EXPECT_EQ(MemoText(viewer), "Can`t load file ");
        CloseByClick(viewer, 5, 5); // the window itself, under its text
    }
    {
        Session run("[OPTIONS]\r\nNFO.......=" + std::string(250, 'n') + "\r\n");
        HWND viewer = OpenViewer(run);
        EXPECT_EQ(MemoText(viewer), ("Can`t load file " + std::string(250, 'n')).substr(0, 255));
    }
}

TEST(Viewer, EachOpeningReadsTheFileAgain) {
    Session run;
    run.folder.Write("korvadel.nfo", "before");
    HWND viewer = OpenViewer(run);
    EXPECT_EQ(MemoText(viewer), "before");
    CloseByClick(MemoWindow(viewer), 20, 20);
    run.folder.Write("korvadel.nfo", "after");
    viewer = OpenViewer(run);
    EXPECT_EQ(MemoText(viewer), "after");
}

} // namespace
