// The title bars of the installer's four windows with caption components, as the screen shows them.
#include "tests/shell/Installer.h"

#include <cstddef>
#include <cstdlib>
#include <set>
#include <stdexcept>

namespace {

using namespace installer;

uint32_t OnScreen(COLORREF color) {
    return GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color);
}

// How a window's bar must look: one colour all over, and the title in a font and a colour.
struct Look {
    COLORREF bar;
    COLORREF text;
    LOGFONTA font;
};

LOGFONTA Font(const char* face, LONG height, bool bold, bool italic, BYTE charset) {
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = italic;
    font.lfCharSet = charset;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH;
    lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return font;
}

// The main window's: white, with the title in grey bold "MS Sans Serif".
Look MainLook() {
    return {RGB(255, 255, 255), RGB(128, 128, 128), Font("MS Sans Serif", -11, true, false, ANSI_CHARSET)};
}

// The dialogs': black, with the title in white in the system's caption font (whose character set is
// that of the stock system font).
Look DialogLook() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0);
    LOGFONTA stock{};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof stock, &stock);
    const LOGFONTA& caption = metrics.lfCaptionFont;
    return {RGB(0, 0, 0), RGB(255, 255, 255),
            Font(caption.lfFaceName, caption.lfHeight, caption.lfWeight > FW_MEDIUM, caption.lfItalic != 0,
                 stock.lfCharSet)};
}

// The bar drawn with plain GDI: its colour, and the title from 3 pixels in, vertically centred and
// ended with an ellipsis where it does not fit.
std::vector<uint32_t> Expected(int width, int height, const std::string& title, const Look& look) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    uint32_t* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(look.bar);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, brush);
    HFONT font = CreateFontIndirectA(&look.font);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, look.text);
    SetBkMode(dc, TRANSPARENT);
    RECT text{3, 0, width, height};
    DrawTextA(dc, title.c_str(), -1, &text, DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
    GdiFlush();
    std::vector<uint32_t> pixels(bits, bits + static_cast<std::size_t>(width) * height);
    for (uint32_t& pixel : pixels)
        pixel &= 0xFFFFFF;
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(brush);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

// A window of the test that takes the activation from the installer.
class Bystander {
public:
    Bystander() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "WordcapBystander";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, windowClass.lpszClassName, "Bystander", WS_POPUP | WS_VISIBLE, 0, 0, 60,
                                  40, nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    ~Bystander() { DestroyWindow(window_); }
    // A real click: a process that is not in the foreground may not take it by asking. Wine now
    // and then drops the first request, hence the second and third.
    void Activate() {
        for (int attempt = 0; attempt < 3; ++attempt) {
            driver::RealClick(30, 20);
            if (Foreground(window_, 3000))
                return;
        }
        throw std::runtime_error("the test's own window did not come to the foreground");
    }
    static bool Foreground(HWND window, DWORD timeoutMs = kWait) {
        SetForegroundWindow(window);
        return driver::WaitUntil(
            [window] {
                MSG message;
                while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageA(&message);
                return GetForegroundWindow() == window;
            },
            timeoutMs);
    }

private:
    HWND window_;
};

// The bar inside the frame, less the line under it, in the window's coordinates.
RECT Bar(HWND window) {
    RECT w;
    GetWindowRect(window, &w);
    int x = GetSystemMetrics(SM_CXDLGFRAME), y = GetSystemMetrics(SM_CYDLGFRAME);
    return {x, y, w.right - w.left - x, y + GetSystemMetrics(SM_CYCAPTION) - 1};
}

void ExpectBar(HWND window, const Look& look, const std::string& name) {
    RECT p = Bar(window);
    int width = p.right - p.left, height = p.bottom - p.top;
    std::vector<uint32_t> expected = Expected(width, height, driver::WindowText(window), look);
    driver::Pixels shown;
    int wrong = 0;
    driver::WaitUntil(
        [&] {
            shown = driver::Capture(window, true);
            wrong = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    wrong +=
                        shown.At(p.left + x, p.top + y) != expected[static_cast<std::size_t>(y) * width + x];
            return wrong == 0;
        },
        kWait);
    if (const char* shots = std::getenv("KORVADEL_WORDCAP_SHOTS"))
        driver::SaveBmp(shown, std::string(shots) + "\\" + name + ".bmp");
    EXPECT_EQ(wrong, 0) << name << ": pixels of the bar that differ from its look";
    // None of the system's own caption colours remains, unless the look itself uses that colour.
    std::set<uint32_t> own(expected.begin(), expected.end());
    for (int index : {COLOR_ACTIVECAPTION, COLOR_GRADIENTACTIVECAPTION, COLOR_INACTIVECAPTION,
                      COLOR_GRADIENTINACTIVECAPTION, COLOR_CAPTIONTEXT, COLOR_INACTIVECAPTIONTEXT}) {
        uint32_t system = OnScreen(GetSysColor(index));
        if (own.count(system))
            continue;
        int found = 0;
        for (int y = p.top; y < p.bottom; ++y)
            for (int x = p.left; x < p.right; ++x)
                found += shown.At(x, y) == system;
        EXPECT_EQ(found, 0) << name << ": system colour " << index;
    }
}

void ExpectBothLooks(HWND window, Bystander& bystander, const Look& look, const std::string& name) {
    ASSERT_TRUE(Bystander::Foreground(window)) << name;
    ExpectBar(window, look, name + "-active");
    bystander.Activate();
    ExpectBar(window, look, name + "-inactive");
    ASSERT_TRUE(Bystander::Foreground(window)) << name;
}

void Press(HWND form, char letter) {
    PostMessageA(form, WM_SYSCHAR, static_cast<WPARAM>(letter), 1u << 29);
}

TEST(WordcapWindows, EveryTitleBarHasTheColoursAndTextOfItsSettingsActiveOrNot) {
    std::string ini = kStandardIni;
    ini.replace(ini.find("SIZE......=350"), 14, "SIZE......=1");
    Session run(ini);
    Bystander bystander;
    HWND main = run.MainWindow();
    const std::string kCaption = "Korvadel Installer..." + std::string(59, ' ') + "CODE/GFX : tazo";
    ASSERT_EQ(driver::WindowText(main), kCaption);
    ExpectBothLooks(main, bystander, MainLook(), "Form1");

    driver::SendKeys(main, {VK_CONTROL, 'I'});
    HWND form2 = driver::WaitWindow(run.process->Pid(), "TForm2", nullptr, kWait);
    EXPECT_EQ(driver::WindowText(form2), "Select a Directory");
    ExpectBothLooks(form2, bystander, DialogLook(), "Form2");

    Press(form2, 'm');
    HWND form3 = driver::WaitWindow(run.process->Pid(), "TForm3", nullptr, kWait);
    EXPECT_EQ(driver::WindowText(form3), "Make directory");
    ExpectBothLooks(form3, bystander, DialogLook(), "Form3");

    Press(form3, 'c');
    ASSERT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(form2) && !IsWindowVisible(form3); }, kWait));
    ASSERT_TRUE(Bystander::Foreground(form2));
    Press(form2, 'i');
    HWND form5 = driver::WaitWindow(run.process->Pid(), "TForm5", nullptr, kWait);
    EXPECT_EQ(driver::WindowText(form5), "Prepare to Install....");
    ExpectBothLooks(form5, bystander, DialogLook(), "Form5");
}

TEST(WordcapWindows, TheMainWindowsLongTitleEndsWithAnEllipsisInANarrowerBar) {
    Session run;
    HWND main = run.MainWindow();
    // The same window a good deal narrower: the component cuts the text the system would cut.
    RECT r;
    GetWindowRect(main, &r);
    SetWindowPos(main, nullptr, 0, 0, 300, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(Bystander::Foreground(main));
    ExpectBar(main, MainLook(), "Form1-narrow");
}

} // namespace
