#include "components/ScrollText.h"

#include "toolkit/Application.h"
#include "toolkit/Gdi.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

using namespace ScrollText;

// A 32-bit surface whose pixels the test can read.
class Surface {
public:
    Surface(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_ = Bitmap(
            CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        old_ = SelectObject(dc_, bitmap_.Get());
    }
    ~Surface() {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    HDC Get() const { return dc_; }
    std::vector<std::uint32_t> Pixels() const {
        GdiFlush();
        return {bits_, bits_ + width_ * height_};
    }

private:
    int width_, height_;
    HDC dc_;
    Bitmap bitmap_;
    std::uint32_t* bits_ = nullptr;
    HGDIOBJ old_;
};

std::vector<std::uint32_t> Frame(TScrollText& control) {
    Surface surface(control.Width(), control.Height());
    control.Paint(surface.Get());
    return surface.Pixels();
}

int TextWidth(const TFont& font, const std::string& text) {
    Surface surface(1, 1);
    Selection selected(surface.Get(), font.Handle());
    SIZE size{};
    GetTextExtentPointA(surface.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// What a frame must look like: each line's text at the place the layout rules give, drawn with
// plain GDI on the background colour.
struct Placed {
    std::string text;
    int x, y;
    TColor color;
};

std::vector<std::uint32_t> Expected(const TScrollText& control, const std::vector<Placed>& texts) {
    Surface surface(control.Width(), control.Height());
    Brush background(CreateSolidBrush(ColorToRGB(const_cast<TScrollText&>(control).Color())));
    RECT all{0, 0, control.Width(), control.Height()};
    FillRect(surface.Get(), &all, background.Get());
    Selection font(surface.Get(), control.Font.Handle());
    SetBkMode(surface.Get(), TRANSPARENT);
    for (const auto& placed : texts) {
        SetTextColor(surface.Get(), ColorToRGB(placed.color));
        ExtTextOutA(surface.Get(), placed.x, placed.y, 0, nullptr, placed.text.c_str(),
                    static_cast<UINT>(placed.text.size()), nullptr);
    }
    return surface.Pixels();
}

// A control laid out like the main window's, ticked by hand rather than by its timer.
struct Control : TScrollText {
    Control(int width, int height, const std::string& text) {
        ScrollTimer().SetEnabled(false);
        SetBounds(0, 0, width, height);
        Font.SetName("Arial");
        Font.SetHeight(-13);
        Font.SetColor(clBlack);
        SetColor(clWhite);
        Items().SetText(text);
        ScrollTimer().SetEnabled(true);
    }
    // Ticks until the pass stands at a step within it (0 after a pass has ended).
    void TickTo(int step) {
        for (int guard = 0; CurrentStep() != step && guard < 10000; ++guard)
            TimerTick(nullptr);
        ASSERT_EQ(CurrentStep(), step);
    }
    int LineHeightOf() const {
        Surface surface(1, 1);
        Selection selected(surface.Get(), Font.Handle());
        TEXTMETRICA metrics{};
        GetTextMetricsA(surface.Get(), &metrics);
        return metrics.tmHeight + metrics.tmInternalLeading;
    }
};

TEST(ScrollTextFrames, TheWorkedExampleFromRightToLeft) {
    const std::string text = "Korvadel";
    Control control(406, 18, text);
    control.SetSteps(50);
    // A shadow as deep as the gap makes the block exactly 94 wide, whatever the font's metrics.
    int depth = 94 - TextWidth(control.Font, text);
    ASSERT_GT(depth, 0);
    control.SetTextStyle(tsShaddow);
    control.SetDepth(depth);
    int lineHeight = control.LineHeightOf() + depth;
    int y = 18 > lineHeight ? (18 - lineHeight) / 2 : 0;
    int a = static_cast<int>(std::nearbyint(depth / 2.0));
    // The last frame of a pass exists only inside its tick: take every frame as it is painted.
    std::map<int, std::vector<std::uint32_t>> frames;
    control.OnStep = [&](TObject*) { frames[control.CurrentStep()] = Frame(control); };
    for (int tick = 0; tick < 51; ++tick)
        control.TimerTick(nullptr);
    EXPECT_EQ(control.CurrentStep(), 0);
    for (auto [step, x] : {std::pair{1, 396}, {25, 156}, {50, -94}, {51, -104}})
        EXPECT_EQ(frames[step], Expected(control, {{text, x + a + depth, y + depth, clBtnShadow},
                                                   {text, x + a, y, clBlack}}))
            << "step " << step;
    EXPECT_EQ(control.MaxLineWidth(), 94);
}

TEST(ScrollTextFrames, HalvesRoundToEvenInTravelAndAlignment) {
    const std::string text = "Halves";
    for (int depth : {1, 3, 5}) {
        Control control(300, 40, text);
        control.SetTextStyle(tsShaddow);
        control.SetDepth(depth);
        int block = TextWidth(control.Font, text) + depth;
        // An odd travel puts the middle frame on a half pixel.
        control.SetBounds(0, 0, 501 - block, 40);
        control.SetSteps(2);
        control.TickTo(1);
        int x = 250 - block;        // Round(250.5) is 250
        int a = depth == 1 ? 0 : 2; // Round(0.5) = 0, Round(1.5) = 2, Round(2.5) = 2
        int lineHeight = control.LineHeightOf() + depth;
        int y = (40 - lineHeight) / 2;
        EXPECT_EQ(Frame(control), Expected(control, {{text, x + a + depth, y + depth, clBtnShadow},
                                                     {text, x + a, y, clBlack}}))
            << "depth " << depth;
    }
}

TEST(ScrollTextFrames, EachDirectionTravelsFromOneEdgeToTheOther) {
    Control control(200, 60, "One\nTwo");
    control.SetSteps(4);
    int h = control.LineHeightOf();
    int wide = std::max(TextWidth(control.Font, "One"), TextWidth(control.Font, "Two"));
    int centreX = (200 - wide) / 2, centreY = (60 - 2 * h) / 2;
    auto lines = [&](int x, int y) {
        int a1 = static_cast<int>(std::nearbyint(wide / 2.0 - TextWidth(control.Font, "One") / 2.0));
        int a2 = static_cast<int>(std::nearbyint(wide / 2.0 - TextWidth(control.Font, "Two") / 2.0));
        return std::vector<Placed>{{"One", x + a1, y, clBlack}, {"Two", x + a2, y + h, clBlack}};
    };
    auto round = [](double v) { return static_cast<int>(std::nearbyint(v)); };
    const struct {
        TScrollDirection direction;
        std::function<std::pair<int, int>(double)> place;
    } cases[] = {
        {sdRightToLeft,
         [&](double f) {
             return std::pair{round((1 - f) * (wide + 200)) - wide, centreY};
         }},
        {sdLeftToRight,
         [&](double f) {
             return std::pair{round(f * (wide + 200)) - wide, centreY};
         }},
        {sdTopToBottom,
         [&](double f) {
             return std::pair{centreX, round(f * (2 * h + 60)) - 2 * h};
         }},
        {sdBottomToTop,
         [&](double f) {
             return std::pair{centreX, round((1 - f) * (2 * h + 60)) - 2 * h};
         }},
    };
    for (const auto& c : cases) {
        control.SetScrollDirection(c.direction);
        for (int step = 1; step <= 4; ++step) {
            control.TickTo(step);
            auto [x, y] = c.place(step / 4.0);
            EXPECT_EQ(Frame(control), Expected(control, lines(x, y))) << c.direction << " step " << step;
        }
        control.TickTo(0);
    }
    control.SetScrollDirection(sdStatic);
    EXPECT_EQ(Frame(control), Expected(control, lines(centreX, centreY)));
}

TEST(ScrollTextFrames, AlignmentPlacesEachLineInsideTheWidestAndStylesAddTheirCopies) {
    Control control(300, 80, "Short\nA much longer line\n\nMid");
    control.SetScrollDirection(sdStatic);
    int h = control.LineHeightOf();
    for (TAlignment alignment : {taCenter, taLeftJustify, taRightJustify})
        for (TTextStyle style : {tsNormal, tsRaised, tsLowered, tsShaddow})
            for (int depth : {1, 3}) {
                control.SetAlignment(alignment);
                control.SetTextStyle(style);
                control.SetDepth(depth);
                int allowance = style == tsShaddow ? depth : style == tsNormal ? 0 : 2 * depth;
                int block = TextWidth(control.Font, "A much longer line") + allowance;
                int lineHeight = h + allowance;
                int x = (300 - block) / 2, y = 80 > 4 * lineHeight ? (80 - 4 * lineHeight) / 2 : 0;
                std::vector<Placed> placed;
                int i = 0;
                for (std::string line : {"Short", "A much longer line", "", "Mid"}) {
                    int w = TextWidth(control.Font, line);
                    int a = alignment == taCenter ? static_cast<int>(std::nearbyint(block / 2.0 - w / 2.0))
                            : alignment == taRightJustify ? block - w
                                                          : 0;
                    int lx = x + a, ly = y + i++ * lineHeight;
                    if (style == tsRaised) {
                        placed.push_back({line, lx - depth, ly - depth, clBtnHighlight});
                        placed.push_back({line, lx + depth, ly + depth, clBtnShadow});
                    } else if (style == tsLowered) {
                        placed.push_back({line, lx - depth, ly - depth, clBtnShadow});
                        placed.push_back({line, lx + depth, ly + depth, clBtnHighlight});
                    } else if (style == tsShaddow)
                        placed.push_back({line, lx + depth, ly + depth, clBtnShadow});
                    placed.push_back({line, lx, ly, clBlack});
                }
                EXPECT_EQ(Frame(control), Expected(control, placed))
                    << "alignment " << int(alignment) << " style " << int(style) << " depth " << depth;
            }
}

TEST(ScrollTextFrames, ABlockLargerThanTheControlStartsAtItsCorner) {
    std::string wide(60, 'W');
    Control control(100, 10, wide + "\nsecond");
    control.SetScrollDirection(sdStatic);
    EXPECT_EQ(Frame(control),
              Expected(control, {{wide, 0, 0, clBlack}, {"second", 0, control.LineHeightOf(), clBlack}}));
}

TEST(ScrollTextFrames, NoLinesShowTheBackgroundAndStepsBelowOneAreSafe) {
    Control control(120, 20, "");
    control.SetSteps(0);
    control.TimerTick(nullptr);
    EXPECT_EQ(Frame(control), Expected(control, {}));
    control.SetSteps(-3);
    control.Items().SetText("text");
    control.TimerTick(nullptr);
    EXPECT_EQ(Frame(control), Expected(control, {}));
}

TEST(ScrollTextFrames, DesignModeStandsAtMidTravel) {
    Control control(200, 20, "Middle");
    control.Designing = true;
    control.SetSteps(50);
    int w = TextWidth(control.Font, "Middle");
    int x = static_cast<int>(std::nearbyint(0.5 * (w + 200))) - w;
    EXPECT_EQ(Frame(control), Expected(control, {{"Middle", x, (20 - control.LineHeightOf()) / 2, clBlack}}));
}

// Records the events of a control.
struct Events {
    std::string log;
    void Attach(TScrollText& control) {
        control.OnBegin = [this](TObject*) { log += "B"; };
        control.OnStep = [this](TObject*) { log += "s"; };
        control.OnEnd = [this](TObject*) { log += "E"; };
    }
};

TEST(ScrollTextTiming, APassIsStepsPlusOneTicksWithItsEventsInOrder) {
    Control control(100, 20, "x");
    control.SetSteps(3);
    Events events;
    events.Attach(control);
    for (int i = 0; i < 8; ++i)
        control.TimerTick(nullptr);
    EXPECT_EQ(events.log, "BssssEBssssE");
    EXPECT_TRUE(control.ScrollTimer().Enabled());
    control.SetContinuous(false);
    for (int i = 0; i < 4; ++i)
        control.TimerTick(nullptr);
    EXPECT_EQ(events.log, "BssssEBssssEBssssE");
    EXPECT_FALSE(control.ScrollTimer().Enabled());
    EXPECT_EQ(control.CurrentStep(), 0);
    control.TimerTick(nullptr); // a late tick of a stopped timer
    EXPECT_EQ(events.log, "BssssEBssssEBssssE");
    control.SetScrollDirection(sdRightToLeft); // the same direction starts a new pass
    control.TimerTick(nullptr);
    EXPECT_EQ(events.log, "BssssEBssssEBssssEBs");
}

TEST(ScrollTextTiming, StaticFreezesAndResumesWithoutBegin) {
    Control control(100, 20, "x");
    control.SetSteps(10);
    Events events;
    events.Attach(control);
    control.TickTo(4);
    control.SetScrollDirection(sdStatic);
    EXPECT_FALSE(control.ScrollTimer().Enabled());
    control.TimerTick(nullptr);
    EXPECT_EQ(control.CurrentStep(), 4);
    control.SetScrollDirection(sdLeftToRight);
    control.TimerTick(nullptr);
    EXPECT_EQ(control.CurrentStep(), 5);
    EXPECT_EQ(events.log, "Bsssss");
}

TEST(ScrollTextTiming, AnEndHandlerThatSetsADirectionStartsTheNextPassItself) {
    Control control(100, 20, "x");
    control.SetSteps(1);
    control.SetContinuous(false);
    int ends = 0;
    control.OnEnd = [&](TObject*) {
        ++ends;
        control.SetScrollDirection(sdBottomToTop);
    };
    control.TimerTick(nullptr);
    control.TimerTick(nullptr);
    EXPECT_EQ(ends, 1);
    EXPECT_TRUE(control.ScrollTimer().Enabled());
    EXPECT_EQ(control.CurrentStep(), 0);
    EXPECT_EQ(control.ScrollDirection(), sdBottomToTop);
}

TEST(ScrollTextTiming, SpeedIsClampedAndBecomesTheTimersInterval) {
    Control control(100, 20, "x");
    for (auto [written, kept] : {std::pair{0, 1}, {-5, 1}, {5000, 1000}, {130, 130}}) {
        control.SetSpeed(written);
        EXPECT_EQ(control.Speed(), kept);
        EXPECT_EQ(control.ScrollTimer().Interval(), static_cast<unsigned>(kept));
    }
}

TEST(ScrollTextTiming, TheTimerDrivesPassesThroughTheMessageLoop) {
    TScrollText control;
    control.SetSteps(2);
    control.SetSpeed(10);
    Events events;
    events.Attach(control);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 400 && events.log.find('E') == std::string::npos) {
        Application.ProcessMessages();
        Sleep(2);
    }
    EXPECT_EQ(events.log.substr(0, 5), "BsssE");
}

} // namespace

namespace {

using namespace ScrollText;

TEST(ScrollTextProperties, ItemsAndFontAreCopiedNotTakenOver) {
    TScrollText control;
    TStringList lines;
    lines.SetText("first\nsecond");
    control.SetItems(lines);
    lines.SetText("changed afterwards");
    EXPECT_EQ(control.Items().Text(), "first\r\nsecond\r\n");
    TFont font;
    font.SetName("Courier New");
    font.SetHeight(-20);
    control.SetFont(font);
    font.SetName("Arial");
    EXPECT_EQ(control.Font.Name(), "Courier New");
    EXPECT_EQ(control.Font.Height(), -20);
}

} // namespace
