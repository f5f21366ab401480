#include "tests/components/Wordcap_test.h"

namespace {

using namespace wordcap;

const COLORREF kLeft = RGB(255, 0, 40);
const COLORREF kRight = RGB(0, 255, 40);

// A form whose bar shows nothing but the gradient.
struct GradientBar {
    TTestForm form{"TBareForm"};
    TMSOfficeCaption& caption = *form.MSOfficeCaption1;

    explicit GradientBar(int clientWidth) {
        form.SetClientSize(clientWidth, 40);
        caption.CaptionText().SetVisible(false);
        caption.SetColorLeftActive(kLeft);
        caption.SetColorRightActive(kRight);
        form.ShowActive();
    }

    // Where each run of one colour starts along the text area, with its colour.
    std::vector<std::pair<int, uint32_t>> Runs(int numColors) {
        caption.SetNumColors(numColors);
        caption.RefreshFrame();
        driver::Pixels shown = Settled(form.Handle());
        RECT t = caption.GetTextRect();
        std::vector<std::pair<int, uint32_t>> runs;
        for (int x = t.left; x < t.right; ++x) {
            uint32_t color = shown.At(x, t.top);
            EXPECT_EQ(Count(shown, {x, t.top, x + 1, t.bottom}, color), t.bottom - t.top) << "column " << x;
            if (runs.empty() || runs.back().second != color)
                runs.emplace_back(x, color);
        }
        return runs;
    }
};

TEST(WordcapGradient, BandsAreRoundedEqualPartsFromExactlyTheLeftToExactlyTheRightColour) {
    GradientBar bar(400);
    RECT t = bar.caption.GetTextRect();
    ASSERT_EQ(t.right - t.left, 400);
    for (int n : {1, 2, 64, 256}) {
        auto runs = bar.Runs(n);
        ASSERT_EQ(runs.size(), static_cast<size_t>(n)) << n << " colours";
        EXPECT_EQ(runs.front().second, OnScreen(kLeft)) << n << " colours";
        EXPECT_EQ(runs.back().second, OnScreen(n == 1 ? kLeft : kRight)) << n << " colours";
        for (int i = 1; i < n; ++i)
            // i * 400 / n, rounded half up.
            EXPECT_EQ(runs[i].first - t.left, (800 * i + n) / (2 * n)) << "band " << i << " of " << n;
    }
    // Narrower than the bands: every column is one, the others are empty.
    bar.form.SetClientSize(200, 40);
    auto runs = bar.Runs(256);
    t = bar.caption.GetTextRect();
    EXPECT_EQ(runs.size(), 200u);
    EXPECT_EQ(runs.front(), std::pair(static_cast<int>(t.left), OnScreen(kLeft)));
    EXPECT_EQ(runs.back(), std::pair(static_cast<int>(t.right) - 1, OnScreen(kRight)));
}

TEST(WordcapGradient, RunTimeWritersWaitForTheNextPaintDesignTimeOnesRepaintAtOnce) {
    GradientBar bar(300);
    HWND window = bar.form.Handle();
    RECT t = bar.caption.GetTextRect();
    driver::Pixels before = Settled(window);
    bar.caption.SetColorLeftActive(clBlack);
    bar.caption.SetColorRightActive(clBlack);
    bar.caption.SetNumColors(2);
    bar.caption.SetEnabled(geNever);
    bar.caption.SetJustification(jRight);
    EXPECT_EQ(Settled(window).pixels, before.pixels);
    bar.caption.RefreshFrame();
    EXPECT_EQ(Count(Settled(window), t, OnScreen(GetSysColor(COLOR_ACTIVECAPTION))),
              (t.right - t.left) * (t.bottom - t.top));

    bar.caption.Designing = true;
    bar.caption.SetEnabled(geAlways);
    t = bar.caption.GetTextRect();
    EXPECT_EQ(Settled(window).At((t.left + t.right) / 2, t.bottom - 1), 0u);
}

// The three texts in red, green and blue on a white bar, all in one bitmap font.
struct TextBar {
    TTestForm form{"TBareForm"};
    TMSOfficeCaption& caption = *form.MSOfficeCaption1;
    TFont font;
    const std::string company = "Company text", application = "Application",
                      text = "The caption text of this form, long enough to be cut";

    TextBar() {
        font.SetStyle(fsBold);
        Set(caption.CompanyText(), company, clRed);
        Set(caption.AppNameText(), application, clLime);
        Set(caption.CaptionText(), text, clBlue);
        caption.SetNumColors(1);
        caption.SetColorLeftActive(clWhite);
        form.ShowActive();
    }
    void Set(TCompanyText& element, const std::string& caption, TColor color) {
        element.SetCaption(caption);
        element.SetFont(font);
        element.SetColorActive(color);
    }
    // What a text counts in the fitting: its width and 3 pixels.
    int Width(const std::string& caption) const {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font.Handle());
        RECT r{};
        DrawTextA(dc, caption.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        return r.right + 3;
    }
    int Sum() const { return Width(company) + Width(application) + Width(text); }
    // The bar with a text area `avail` pixels wide; `t` is that area.
    driver::Pixels Bar(int avail) {
        form.SetClientSize(
            form.ClientWidth() + avail - (caption.GetTextRect().right - caption.GetTextRect().left), 40);
        t = caption.GetTextRect();
        EXPECT_EQ(t.right - t.left, avail);
        caption.RefreshFrame();
        return Settled(form.Handle());
    }
    int Start(const driver::Pixels& shown, uint32_t color) const { return Columns(shown, t, color).first; }
    RECT t{};
};

// Where a text begins: 3 pixels after the previous one, give or take its first letter's own margin.
bool StartsAt(int found, int x) {
    return found >= x + 3 && found <= x + 5;
}

TEST(WordcapLayout, TextsTooWideDropTheCompanyThenTheApplicationNameThenAreCut) {
    TextBar bar;
    driver::Pixels all = bar.Bar(bar.Sum() + 1);
    EXPECT_TRUE(StartsAt(bar.Start(all, 0xFF0000), bar.t.left));
    EXPECT_TRUE(StartsAt(bar.Start(all, 0x00FF00), Columns(all, bar.t, 0xFF0000).second + 1));
    EXPECT_TRUE(StartsAt(bar.Start(all, 0x0000FF), Columns(all, bar.t, 0x00FF00).second + 1));

    // The sum must be less than the room, not equal to it.
    driver::Pixels noCompany = bar.Bar(bar.Sum());
    EXPECT_EQ(bar.Start(noCompany, 0xFF0000), -1);
    EXPECT_TRUE(StartsAt(bar.Start(noCompany, 0x00FF00), bar.t.left));

    driver::Pixels captionOnly = bar.Bar(bar.Width(bar.application) + bar.Width(bar.text));
    EXPECT_EQ(bar.Start(captionOnly, 0x00FF00), -1);
    EXPECT_TRUE(StartsAt(bar.Start(captionOnly, 0x0000FF), bar.t.left));

    // Cut where the system cuts it, ending in an ellipsis.
    driver::Pixels cut = bar.Bar(bar.Width(bar.text) / 2);
    RECT t = bar.t;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    Bitmap expected(CreateCompatibleBitmap(screen, t.right, t.bottom));
    ReleaseDC(nullptr, screen);
    {
        Selection bitmap(dc, expected.Get());
        Selection font(dc, bar.font.Handle());
        PatBlt(dc, 0, 0, t.right, t.bottom, WHITENESS);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkMode(dc, TRANSPARENT);
        RECT r{t.left + 3, t.top, t.right, t.bottom};
        DrawTextA(dc, bar.text.c_str(), -1, &r, DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
        int wrong = 0;
        for (int y = t.top; y < t.bottom; ++y)
            for (int x = t.left; x < t.right; ++x)
                wrong += cut.At(x, y) != OnScreen(GetPixel(dc, x, y));
        EXPECT_EQ(wrong, 0);
    }
    DeleteDC(dc);
}

TEST(WordcapLayout, JustificationShiftsOnlyTextsThatFitAndCountsAnEmptyVisibleText) {
    TextBar bar;
    auto start = [&](TJustification justification, int avail) {
        bar.caption.SetJustification(justification);
        return bar.Start(bar.Bar(avail), 0xFF0000);
    };
    int left = start(jLeft, bar.Sum() + 41);
    EXPECT_EQ(start(jAuto, bar.Sum() + 41), left);
    EXPECT_EQ(start(jCenter, bar.Sum() + 41), left + 20);
    EXPECT_EQ(start(jRight, bar.Sum() + 41), left + 41);
    // Too wide even for the caption text alone: centring moves nothing.
    bar.caption.SetJustification(jCenter);
    EXPECT_TRUE(StartsAt(bar.Start(bar.Bar(bar.Width(bar.text) - 40), 0x0000FF), bar.t.left));

    // A visible company without text is not drawn, yet counts 3 pixels.
    bar.caption.SetJustification(jRight);
    bar.caption.CompanyText().SetCaption("");
    int counted = bar.Start(bar.Bar(bar.Sum()), 0x00FF00);
    bar.caption.CompanyText().SetVisible(false);
    EXPECT_EQ(bar.Start(bar.Bar(bar.Sum()), 0x00FF00), counted + 3);
}

TEST(WordcapLayout, AHandlerDrawsOnTheBarAndNarrowsWhereTheTextsGo) {
    TextBar bar;
    int unmoved = bar.Start(bar.Bar(bar.Sum() + 100), 0xFF0000);
    HFONT canvasFont = nullptr;
    bar.caption.OnDrawCaption = [&](TObject*, TCanvas& canvas, RECT& r) {
        canvasFont = static_cast<HFONT>(GetCurrentObject(canvas.Handle(), OBJ_FONT));
        PatBlt(canvas.Handle(), r.left, r.top, 10, r.bottom - r.top, BLACKNESS);
        r.left += 60;
    };
    driver::Pixels moved = bar.Bar(bar.Sum() + 100);
    EXPECT_EQ(canvasFont, bar.caption.SystemCaptionFont().Handle());
    EXPECT_EQ(Count(moved, bar.t, 0), 10 * (bar.t.bottom - bar.t.top));
    EXPECT_EQ(bar.Start(moved, 0xFF0000), unmoved + 60);
    // The fitting has 60 pixels less: the company no longer fits.
    driver::Pixels narrowed = bar.Bar(bar.Sum() + 30);
    EXPECT_EQ(bar.Start(narrowed, 0xFF0000), -1);
    EXPECT_TRUE(StartsAt(bar.Start(narrowed, 0x00FF00), bar.t.left + 60));
}

TEST(WordcapLayout, ATitleSetOnTheFormShowsOnTheBarAtOnce) {
    TTestForm form("TCaptionForm");
    form.ShowActive();
    RECT t = form.MSOfficeCaption1->GetTextRect();
    // The caption text is yellow.
    int before = Columns(Settled(form.Handle()), t, 0xFFFF00).second;
    form.SetCaption("Tobrin's Program - A title a good deal longer than the first");
    EXPECT_GT(Columns(Settled(form.Handle()), t, 0xFFFF00).second, before + 100);
}

TEST(WordcapGeometry, SystemMenuAndHelpGiveACloseAndAHelpButton) {
    TTestForm form("TCaptionForm");
    form.ShowActive();
    form.SetBorderIcons(biSystemMenu | biHelp);
    Application.ProcessMessages();
    TMSOfficeCaption& caption = *form.MSOfficeCaption1;
    EXPECT_EQ(caption.GetCaptionButtons(), cbClose | cbHelp);
    RECT f = caption.GetCaptionRect();
    int w = GetSystemMetrics(SM_CXSIZE);
    EXPECT_EQ(caption.GetTextRect().right, f.right - 2 * (w + 2));
    form.ShowActive();
    driver::Pixels shown = Settled(form.Handle());
    uint32_t face = OnScreen(GetSysColor(COLOR_BTNFACE));
    RECT close{f.right - w, f.top + 2, f.right - 2, f.bottom - 2};
    RECT help{close.left - w, f.top + 2, close.left - 2, f.bottom - 2};
    EXPECT_GT(Count(shown, close, face), (w - 2) * (f.bottom - f.top - 4) / 3);
    EXPECT_GT(Count(shown, help, face), (w - 2) * (f.bottom - f.top - 4) / 3);
    EXPECT_EQ(Count(shown, {help.right, f.top + 4, close.left, f.bottom - 4}, face), 0);
}

} // namespace
