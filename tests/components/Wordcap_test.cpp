#include "tests/components/Wordcap_test.h"

#include <algorithm>
#include <cstddef>

namespace {

using namespace wordcap;

std::string Title(TForm& form) {
    return driver::WindowText(form.Handle());
}

// The caption element's own text, which each paint reads back from the title.
const std::string& Stored(const TCaptionText& element) {
    return static_cast<const TCompanyText&>(element).Caption();
}

int CharacterHeight(const TFont& font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font.Handle());
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return metrics.tmHeight - metrics.tmInternalLeading;
}

bool Received(const TTestForm& form, UINT message) {
    return std::find(form.received.begin(), form.received.end(), message) != form.received.end();
}

TEST(WordcapTitle, IsBuiltFromTheVisibleTextsAndReadBackWithoutTheirPrefixes) {
    TTestForm form("TCaptionForm");
    TMSOfficeCaption& caption = *form.MSOfficeCaption1;
    EXPECT_EQ(Title(form), "Tobrin's Program - Untitled");
    EXPECT_EQ(caption.CaptionText().Caption(), "Untitled");

    caption.CaptionText().SetVisible(false);
    EXPECT_EQ(Title(form), "Tobrin's Program -");
    caption.PaintCaption(true);
    EXPECT_EQ(Stored(caption.CaptionText()), "");

    // A visible but empty text adds nothing, not even a space.
    caption.CaptionText().SetVisible(true);
    caption.AppNameText().SetCaption("");
    caption.CompanyText().SetCaption("A");
    caption.CaptionText().SetCaption("B");
    EXPECT_EQ(Title(form), "A B");

    // The company text is found anywhere in the title.
    caption.CompanyText().SetCaption("Co");
    caption.AppNameText().SetCaption("xyz");
    form.SetCaption("My Co app");
    EXPECT_EQ(caption.CaptionText().Caption(), "app");
}

TEST(WordcapProperties, NumColorsStaysWithinOneTo256WithoutAWordAtRunTime) {
    ErrorBoxes boxes;
    TTestForm form("TCaptionForm");
    TMSOfficeCaption& caption = *form.MSOfficeCaption1;
    caption.SetNumColors(0);
    caption.SetNumColors(-5);
    EXPECT_EQ(caption.NumColors(), 32);
    caption.SetNumColors(300);
    EXPECT_EQ(caption.NumColors(), 256);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{});

    TComponent notAForm;
    EXPECT_THROW(TMSOfficeCaption other(&notAForm), EInvalidCast);
}

TEST(WordcapDesign, ADroppedComponentShowsSamplesOnASizeableBarAndReportsBadNumColors) {
    TTestForm form("TPlainForm", true);
    TMSOfficeCaption caption(&form);
    EXPECT_EQ(Title(form), "Tobrin's Program - Untitled");
    EXPECT_EQ(caption.CompanyText().FontKind(), fkSystemBI);
    EXPECT_EQ(caption.GetCaptionButtons(), cbClose | cbMinimize | cbMaximize);
    RECT f = caption.GetCaptionRect();
    EXPECT_EQ(f.left, GetSystemMetrics(SM_CXFRAME));
    EXPECT_EQ(caption.GetTextRect().right, f.right - 3 * GetSystemMetrics(SM_CXSIZE) - 2);

    ErrorBoxes boxes;
    caption.SetNumColors(0);
    EXPECT_EQ(caption.NumColors(), 64);
    caption.SetNumColors(300);
    EXPECT_EQ(caption.NumColors(), 256);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"The number of colors must be at least 1",
                                        "The highest number of gradient colors possible is 256"}));

    // Read with its form, it keeps what the definition says.
    TTestForm read("TBareForm", true);
    EXPECT_EQ(read.MSOfficeCaption1->CompanyText().Caption(), "");
    EXPECT_EQ(Title(read), "Bare");
}

TEST(WordcapFonts, ANewSystemCaptionFontReachesEveryKindButCustom) {
    NONCLIENTMETRICSA original{};
    original.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &original, 0));
    struct Restore {
        NONCLIENTMETRICSA& metrics;
        ~Restore() { SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, 0, &metrics, 0); }
    } restore{original};

    TTestForm form("TBareForm");
    TMSOfficeCaption& caption = *form.MSOfficeCaption1;
    TFont font;
    font.SetName("Liberation Mono");
    font.SetHeight(40); // a cell height
    caption.AppNameText().SetFontKind(fkAutoHeight);
    caption.AppNameText().SetFont(font);
    EXPECT_EQ(caption.AppNameText().FontKind(), fkAutoHeight);
    font.SetName("MS Sans Serif");
    font.SetHeight(-11);
    caption.CompanyText().SetFontKind(fkSystemB);
    caption.CompanyText().SetFont(font);
    EXPECT_EQ(caption.CompanyText().FontKind(), fkCustom);

    NONCLIENTMETRICSA changed = original;
    lstrcpyA(changed.lfCaptionFont.lfFaceName, "Liberation Serif");
    changed.lfCaptionFont.lfHeight = -17;
    changed.lfCaptionFont.lfWeight = FW_NORMAL;
    changed.lfCaptionFont.lfItalic = TRUE;
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, 0, &changed, 0));
    SendMessageA(form.Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    EXPECT_EQ(caption.CaptionText().Font.Name(), "Liberation Serif");
    EXPECT_EQ(caption.CaptionText().Font.Height(), -17);
    EXPECT_EQ(caption.CaptionText().Font.Style(), TFontStyles{fsItalic});
    EXPECT_EQ(caption.AppNameText().Font.Name(), "Liberation Mono");
    EXPECT_NEAR(CharacterHeight(caption.AppNameText().Font), 17, 1);
    EXPECT_EQ(caption.CompanyText().Font.Name(), "MS Sans Serif");

    // A positive height is a cell height, as everywhere else, not a size in points.
    changed.lfCaptionFont.lfHeight = 20;
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETNONCLIENTMETRICS, 0, &changed, 0));
    SendMessageA(form.Handle(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    EXPECT_EQ(caption.CaptionText().Font.Height(), 20);
}

TEST(WordcapHooks, SizingBordersShowTheSystemSizingCursorsWithoutTheFormSeeingThem) {
    TTestForm form("TCaptionForm");
    HWND window = form.Handle();
    const std::pair<WORD, const char*> borders[] = {
        {HTLEFT, IDC_SIZEWE},       {HTRIGHT, IDC_SIZEWE},        {HTTOP, IDC_SIZENS},
        {HTBOTTOM, IDC_SIZENS},     {HTTOPLEFT, IDC_SIZENWSE},    {HTBOTTOMRIGHT, IDC_SIZENWSE},
        {HTTOPRIGHT, IDC_SIZENESW}, {HTBOTTOMLEFT, IDC_SIZENESW}, {HTCAPTION, nullptr},
    };
    for (auto [hit, cursor] : borders) {
        form.received.clear();
        SetCursor(nullptr);
        LRESULT result =
            SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(hit, 0));
        EXPECT_EQ(Received(form, WM_SETCURSOR), cursor == nullptr) << "hit-test code " << hit;
        if (cursor) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, cursor)) << "hit-test code " << hit;
        }
    }
}

TEST(WordcapHooks, AReCreatedWindowIsHookedAgainOnceTheApplicationHearsOfIt) {
    TTestForm form("TCaptionForm");
    TMSOfficeCaption& caption = *form.MSOfficeCaption1;
    form.ShowActive();
    HWND old = form.Handle();
    LONG_PTR classProc = GetClassLongPtrA(old, GCLP_WNDPROC);
    form.SetBorderStyle(bsSizeable);
    HWND now = form.Handle();
    ASSERT_NE(now, old);
    EXPECT_FALSE(caption.Hooked());
    EXPECT_EQ(GetWindowLongPtrA(now, GWLP_WNDPROC), classProc);
    Application.ProcessMessages();
    EXPECT_TRUE(caption.Hooked());
    EXPECT_NE(GetWindowLongPtrA(now, GWLP_WNDPROC), classProc);

    form.ShowActive();
    RECT t = caption.GetTextRect();
    EXPECT_EQ(t.left, GetSystemMetrics(SM_CXFRAME));
    EXPECT_EQ(Settled(now).At(t.left, t.top), OnScreen(RGB(255, 0, 0)));
    // Activation is drawn at once in the inactive colours. The system keeps the frame's state, told
    // not to paint (-1), and never draws its own bar.
    form.activations.clear();
    EXPECT_EQ(SendMessageA(now, WM_NCACTIVATE, FALSE, 0), 1);
    EXPECT_EQ(form.activations, std::vector<LPARAM>{-1});
    EXPECT_EQ(Settled(now).At(t.left, t.top), OnScreen(RGB(0, 0x80, 0)));
}

// Under a composed desktop the frame is the compositor's unless the window takes it: the bar is taken
// before it is first painted, again when composition comes back, and given back with the component.
TEST(WordcapComposition, TheFrameIsTakenFromTheCompositorOnlyWhileTheDesktopIsComposed) {
    static bool composed;
    static std::vector<std::pair<HWND, bool>> told;
    const TMSOfficeCaption::Composition system = TMSOfficeCaption::composition;
    TMSOfficeCaption::composition = {[] { return composed; },
                                     [](HWND window, bool ours) { told.emplace_back(window, ours); }};
    for (bool on : {true, false}) {
        SCOPED_TRACE(on);
        composed = on;
        told.clear();
        TTestForm form("TPlainForm");
        auto caption = std::make_unique<TMSOfficeCaption>(&form);
        HWND window = form.Handle();
        using Told = std::vector<std::pair<HWND, bool>>;
        auto expect = [&](Told composedWant) { EXPECT_EQ(told, on ? composedWant : Told()); };
        expect({{window, true}});
        SendMessageA(window, WM_DWMCOMPOSITIONCHANGED, 0, 0);
        expect({{window, true}, {window, true}});
        caption.reset();
        expect({{window, true}, {window, true}, {window, false}});
    }
    TMSOfficeCaption::composition = system;
}

TEST(WordcapHooks, FreeingTheComponentGivesBackTheSystemsTitleBarWithTheCaptionTextAlone) {
    TTestForm form("TPlainForm");
    auto caption = std::make_unique<TMSOfficeCaption>(&form);
    caption->CompanyText().SetCaption("Tobrin's");
    caption->CaptionText().SetCaption("Untitled");
    caption->SetColorLeftActive(clRed);
    caption->SetColorRightActive(clRed);
    form.ShowActive();
    RECT f = caption->GetCaptionRect();
    EXPECT_GT(Count(Settled(form.Handle()), f, 0xFF0000), 100);

    caption.reset();
    EXPECT_EQ(Title(form), "Untitled");
    driver::Pixels shown = Settled(form.Handle());
    EXPECT_EQ(Count(shown, f, 0xFF0000), 0);
    // In the active look: the system is told the state it did not see while the caption was ours.
    EXPECT_GT(Count(shown, f, OnScreen(GetSysColor(COLOR_ACTIVECAPTION))), 0);
}

TEST(WordcapHooks, AFormTakesOneCaptionComponentAndASecondFailsLoudly) {
    try {
        TTestForm two("TTwoForm");
        ADD_FAILURE() << "a form took a second caption component from its definition";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "TTwoForm window definition:10: TwoForm has a caption component already: a "
                               "form takes one");
    }
    TTestForm read("TCaptionForm");
    EXPECT_THROW(TMSOfficeCaption second(&read), Exception);

    TTestForm form("TPlainForm");
    auto first = std::make_unique<TMSOfficeCaption>(&form);
    EXPECT_THROW(TMSOfficeCaption second(&form), Exception);
    // The window still leads to the first, which answers for it.
    form.received.clear();
    EXPECT_EQ(SendMessageA(form.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(form.Handle()),
                           MAKELPARAM(HTLEFT, 0)),
              1);
    EXPECT_FALSE(Received(form, WM_SETCURSOR));
    first.reset();
    TMSOfficeCaption again(&form);
    EXPECT_TRUE(again.Hooked());
}

TEST(WordcapHooks, AFormFreedWithItsComponentLeavesNoHookBehind) {
    for (int i = 0; i < 3; ++i) {
        auto form = std::make_unique<TTestForm>("TCaptionForm");
        form->ShowActive();
        form.reset();
        // Brings the application the window's end, announced for a component that is gone.
        Application.ProcessMessages();
    }
    TTestForm form("TCaptionForm");
    form.ShowActive();
    EXPECT_TRUE(form.MSOfficeCaption1->Hooked());
}

} // namespace
