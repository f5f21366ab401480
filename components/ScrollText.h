// A windowless line of text that travels across its rectangle, pass after pass, in a fixed number of
// timer ticks, or stands still in its middle.
#pragma once

#include "toolkit/Control.h"
#include "toolkit/controls/Timer.h"
#include "toolkit/StringList.h"

#include <memory>

namespace ScrollText {

// Not the toolkit's alignment: centred comes first here.
enum TAlignment : unsigned char { taCenter = 0, taLeftJustify = 1, taRightJustify = 2 };
enum TTextStyle : unsigned char { tsNormal = 0, tsRaised = 1, tsLowered = 2, tsShaddow = 3 };
enum TScrollDirection : unsigned char {
    sdStatic = 0,
    sdRightToLeft = 1,
    sdLeftToRight = 2,
    sdTopToBottom = 3,
    sdBottomToTop = 4
};
constexpr auto kAlignments = std::to_array<EnumName<TAlignment>>(
    {{"taCenter", taCenter}, {"taLeftJustify", taLeftJustify}, {"taRightJustify", taRightJustify}});
constexpr auto kTextStyles = std::to_array<EnumName<TTextStyle>>(
    {{"tsNormal", tsNormal}, {"tsRaised", tsRaised}, {"tsLowered", tsLowered}, {"tsShaddow", tsShaddow}});
constexpr auto kScrollDirections =
    std::to_array<EnumName<TScrollDirection>>({{"sdStatic", sdStatic},
                                               {"sdRightToLeft", sdRightToLeft},
                                               {"sdLeftToRight", sdLeftToRight},
                                               {"sdTopToBottom", sdTopToBottom},
                                               {"sdBottomToTop", sdBottomToTop}});

class TCustomScrollText : public TGraphicControl {
public:
    TCustomScrollText();
    ~TCustomScrollText() override;

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TTextStyle TextStyle() const { return textStyle_; }
    void SetTextStyle(TTextStyle style);
    TScrollDirection ScrollDirection() const { return scrollDirection_; }
    void SetScrollDirection(TScrollDirection direction);
    void SetColor(TColor color);
    bool Continuous() const { return continuous_; }
    void SetContinuous(bool continuous);
    int Steps() const { return steps_; }
    void SetSteps(int steps);
    int Speed() const { return speed_; }
    void SetSpeed(int speed);
    int Depth() const { return depth_; }
    void SetDepth(int depth);
    // The lines; changing them directly asks for no repaint.
    TStringList& Items() { return *items_; }
    void SetItems(const TStringList& items);
    void SetFont(const TFont& font);
    int CurrentStep() const { return currentStep_; }
    TTimer& ScrollTimer() { return *scrollTimer_; }

    TNotifyEvent OnBegin;
    TNotifyEvent OnStep;
    TNotifyEvent OnEnd;

    // One step of the animation, as a tick of the timer runs it.
    void TimerTick(TObject* Sender);
    void Paint(HDC dc) override;

    void Properties(PropertyWalk& walk) override;

    // The layout as the last Measure left it.
    int LineHeight() const { return lineHeight_; }
    int MaxLineWidth() const { return maxLineWidth_; }
    int BlockHeight() const { return blockHeight_; }

protected:
    void FontChanged() override;

private:
    void Measure(HDC dc);
    void LayoutChanged();
    void DrawLine(HDC dc, int x, const std::string& text, int y);
    void StartScroll(int fromStep);
    void StopScroll();
    // Paints on the parent's surface now, clipped to the control.
    void PaintNow();
    int Allowance() const;

    TAlignment alignment_ = taCenter;
    TTextStyle textStyle_ = tsNormal;
    TScrollDirection scrollDirection_ = sdStatic;
    std::unique_ptr<TTimer> scrollTimer_;
    std::unique_ptr<TStringList> items_;
    bool continuous_ = true;
    int steps_ = 80;
    int speed_ = 100;
    int depth_ = 1;
    int lineHeight_ = 0;
    int currentStep_ = 0;
    int maxLineWidth_ = 0;
    int blockHeight_ = 0;
    int centerX_ = 0;
    int centerY_ = 0;
};

// The control as window definitions name it.
class TScrollText : public TCustomScrollText {};

} // namespace ScrollText

using ScrollText::TScrollText;
