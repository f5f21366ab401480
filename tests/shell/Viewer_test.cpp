#include "Installer.h"

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

TEST(Viewer, OemBytesAreKeptAndShownInTheOemTerminalFont) {
    Session run;
    std::string art = "\xC9\xCD\xCD\xBB\r\n\xBA\xB0\xB1\xBA\r\n\xC8\xCD\xCD\xBC";
    run.folder.Write("korvadel.nfo", art + std::string("\0after the end", 14));
    HWND viewer = OpenViewer(run);
    driver::Inspection inspection = driver::Inspect(viewer);
    const auto& memo = inspection.Find("Memo1");
    EXPECT_EQ(driver::Field(memo, "text"), art);
    EXPECT_EQ(driver::Field(memo, "font.name"), "Terminal");
    EXPECT_EQ(driver::Field(memo, "font.height"), "-11");
    EXPECT_EQ(driver::Field(memo, "font.charset"), "255");
    EXPECT_EQ(driver::Field(memo, "font.color"), "0x00808080");
    EXPECT_EQ(driver::Field(memo, "color"), "0x00FFFFFF");
    EXPECT_EQ(driver::Field(memo, "bounds"), "0,0,515,422");
    EXPECT_EQ(driver::Field(memo, "readonly"), "1");
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
    driver::RealMouseMove(1020, 760);
    CloseByClick(memo, 20, 20);
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
