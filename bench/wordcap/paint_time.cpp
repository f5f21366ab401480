// How long one paint of the main window's gradient caption takes against the system's own painting
// of the same window's frame (DefWindowProc with WM_NCPAINT), measured in one process, alternately,
// as medians of many paints each.
#include "components/ComponentKinds.h"
#include "components/Wordcap.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 40;
constexpr int kPaintsPerRound = 50;

// The main window's frame and caption settings, made in code.
class TMainLike : public TForm {
public:
    TMainLike() : TForm("TMainLike") {
        SetCaption("Korvadel Installer..." + std::string(59, ' ') + "CODE/GFX : tazo");
        SetBorderStyle(bsSingle);
        SetBorderIcons(0);
        SetClientSize(464, 343);
    }
};

void Configure(TMSOfficeCaption& caption, const std::string& title) {
    caption.AppNameText().SetFontKind(fkSystemB);
    TFont font;
    font.SetName("MS Sans Serif");
    font.SetHeight(-11);
    font.SetCharset(ANSI_CHARSET);
    font.SetStyle(fsBold);
    caption.CaptionText().SetCaption(title);
    caption.CaptionText().SetColorActive(clGray);
    caption.CaptionText().SetColorInactive(clGray);
    caption.CaptionText().SetFont(font);
    font.SetStyle(fsBold | fsItalic);
    caption.CompanyText().SetFont(font);
    caption.SetColorLeftActive(clWhite);
    caption.SetColorLeftInActive(clWhite);
    caption.SetColorRightActive(clWhite);
    caption.SetColorRightInActive(clWhite);
}

double Now() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

template <class Paint> double MicrosecondsPerPaint(Paint paint) {
    double start = Now();
    for (int i = 0; i < kPaintsPerRound; ++i)
        paint();
    GdiFlush();
    return (Now() - start) * 1e6 / kPaintsPerRound;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main() {
    RegisterComponentsKinds();
    TMainLike form;
    TMSOfficeCaption caption(&form);
    Configure(caption, form.Caption());
    form.Show();
    SetForegroundWindow(form.Handle());
    for (int i = 0; i < 50; ++i) {
        Application.ProcessMessages();
        Sleep(10);
    }

    HWND window = form.Handle();
    std::vector<double> custom, system;
    for (int round = 0; round < kRounds; ++round) {
        custom.push_back(MicrosecondsPerPaint([&] { caption.PaintCaption(true); }));
        system.push_back(MicrosecondsPerPaint([&] { DefWindowProcA(window, WM_NCPAINT, 1, 0); }));
    }
    double ours = Median(custom), theirs = Median(system);
    std::printf("PaintCaption of the main window: %.1f us; DefWindowProc WM_NCPAINT of the same window: "
                "%.1f us; ratio %.2f\n",
                ours, theirs, ours / theirs);
    return 0;
}
