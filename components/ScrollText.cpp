#include "components/ScrollText.h"

#include "toolkit/Gdi.h"
#include "toolkit/Properties.h"

#include <algorithm>

#include <cmath>

namespace ScrollText {

namespace {

// Whole pixels from a fraction: the nearest, an exact half to the even neighbour.
int Round(double value) {
    return static_cast<int>(std::nearbyint(value));
}

int TextWidth(HDC dc, const std::string& text) {
    SIZE size{};
    GetTextExtentPointA(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

} // namespace

TCustomScrollText::TCustomScrollText() : items_(std::make_unique<TStringList>()) {
    items_->Add("ScrollText");
    width_ = 200;
    height_ = 20;
    color_ = clBtnFace;
    parentColor_ = false;
    Font.SetName("Arial");
    Font.SetSize(10);
    Font.SetColor(clBlack);
    // The control's font is its own from the start, never the window's.
    parentFont_ = false;
    scrollTimer_ = std::make_unique<TTimer>();
    scrollTimer_->Name = "ScrollTimer";
    scrollTimer_->SetEnabled(false);
    scrollTimer_->OnTimer = [this](TObject* sender) { TimerTick(sender); };
    scrollTimer_->SetInterval(static_cast<unsigned>(speed_));
    scrollDirection_ = sdRightToLeft;
    StartScroll(currentStep_);
}

TCustomScrollText::~TCustomScrollText() {
    items_.reset();
    scrollTimer_.reset();
}

void TCustomScrollText::SetAlignment(TAlignment alignment) {
    if (Change(alignment_, alignment))
        LayoutChanged();
}

void TCustomScrollText::SetTextStyle(TTextStyle style) {
    if (Change(textStyle_, style))
        LayoutChanged();
}

void TCustomScrollText::SetColor(TColor color) {
    if (Change(color_, color))
        LayoutChanged();
}

void TCustomScrollText::SetDepth(int depth) {
    if (Change(depth_, depth))
        LayoutChanged();
}

void TCustomScrollText::SetFont(const TFont& font) {
    if (&font != &Font) {
        Font.Assign(font);
        parentFont_ = false;
        LayoutChanged();
    }
}

void TCustomScrollText::SetItems(const TStringList& items) {
    if (&items != items_.get()) {
        items_->Assign(items);
        LayoutChanged();
    }
}

void TCustomScrollText::SetScrollDirection(TScrollDirection direction) {
    scrollDirection_ = direction;
    if (direction == sdStatic)
        StopScroll();
    else
        StartScroll(currentStep_);
}

void TCustomScrollText::SetContinuous(bool continuous) {
    if (continuous == continuous_)
        return;
    continuous_ = continuous;
    if (scrollDirection_ != sdStatic)
        StartScroll(currentStep_);
}

void TCustomScrollText::SetSteps(int steps) {
    if (steps == steps_)
        return;
    steps_ = steps;
    if (Designing)
        Invalidate();
}

void TCustomScrollText::SetSpeed(int speed) {
    if (speed == speed_)
        return;
    speed_ = std::clamp(speed, 1, 1000);
    scrollTimer_->SetInterval(static_cast<unsigned>(speed_));
}

void TCustomScrollText::FontChanged() {
    LayoutChanged();
}

void TCustomScrollText::LayoutChanged() {
    if (parent_ && parent_->HandleAllocated()) {
        WindowDC dc(parent_->Handle());
        Selection font(dc.Get(), Font.Handle());
        Measure(dc.Get());
    }
    Invalidate();
}

int TCustomScrollText::Allowance() const {
    switch (textStyle_) {
    case tsRaised:
    case tsLowered:
        return 2 * depth_;
    case tsShaddow:
        return depth_;
    default:
        return 0;
    }
}

void TCustomScrollText::Measure(HDC dc) {
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    lineHeight_ = metrics.tmHeight + metrics.tmInternalLeading + Allowance();
    maxLineWidth_ = 0;
    for (int i = 0; i < items_->Count(); ++i)
        maxLineWidth_ = std::max(maxLineWidth_, TextWidth(dc, (*items_)[i]) + Allowance());
    blockHeight_ = items_->Count() * lineHeight_;
    centerX_ = width_ > maxLineWidth_ ? (width_ - maxLineWidth_) / 2 : 0;
    centerY_ = height_ > blockHeight_ ? (height_ - blockHeight_) / 2 : 0;
}

void TCustomScrollText::StartScroll(int fromStep) {
    if (scrollTimer_->Enabled())
        return;
    if (fromStep >= 0 && fromStep <= steps_)
        currentStep_ = fromStep;
    scrollTimer_->SetEnabled(true);
}

void TCustomScrollText::StopScroll() {
    scrollTimer_->SetEnabled(false);
}

void TCustomScrollText::TimerTick(TObject*) {
    if (!scrollTimer_->Enabled())
        return;
    if (currentStep_ == 0 && OnBegin)
        OnBegin(this);
    ++currentStep_;
    PaintNow();
    if (OnStep)
        OnStep(this);
    if (currentStep_ > steps_) {
        scrollTimer_->SetEnabled(false);
        if (OnEnd)
            OnEnd(this);
        currentStep_ = 0;
        if (continuous_)
            StartScroll(0);
    }
}

void TCustomScrollText::PaintNow() {
    // A control nobody can see is not drawn; its next showing repaints it anyway.
    if (!visible_ || !parent_ || !parent_->HandleAllocated() || !IsWindowVisible(parent_->Handle()))
        return;
    WindowDC dc(parent_->Handle());
    SavedDC saved(dc.Get());
    IntersectClipRect(dc.Get(), left_, top_, left_ + width_, top_ + height_);
    SetViewportOrgEx(dc.Get(), left_, top_, nullptr);
    Paint(dc.Get());
}

void TCustomScrollText::Paint(HDC dc) {
    MemoryDC frame(dc, std::max(width_, 1), std::max(height_, 1));
    Selection font(frame.Get(), Font.Handle());
    Measure(frame.Get());
    {
        Brush background(CreateSolidBrush(ColorToRGB(color_)));
        RECT all{0, 0, width_, height_};
        FillRect(frame.Get(), &all, background.Get());
    }
    // Below one step there is no travel to divide: the block stands past the far edge.
    double f = steps_ >= 1 ? static_cast<double>(currentStep_) / steps_ : 1.0;
    if (Designing)
        f = 0.5;
    int x = centerX_, y = centerY_;
    switch (scrollDirection_) {
    case sdRightToLeft:
        x = Round((1 - f) * (maxLineWidth_ + width_)) - maxLineWidth_;
        break;
    case sdLeftToRight:
        x = Round(f * (maxLineWidth_ + width_)) - maxLineWidth_;
        break;
    case sdTopToBottom:
        y = Round(f * (blockHeight_ + height_)) - blockHeight_;
        break;
    case sdBottomToTop:
        y = Round((1 - f) * (blockHeight_ + height_)) - blockHeight_;
        break;
    case sdStatic:
        break;
    }
    for (int i = 0; i < items_->Count(); ++i)
        DrawLine(frame.Get(), x, (*items_)[i], y + i * lineHeight_);
    BitBlt(dc, 0, 0, width_, height_, frame.Get(), 0, 0, SRCCOPY);
}

void TCustomScrollText::DrawLine(HDC dc, int x, const std::string& text, int y) {
    SetBkMode(dc, TRANSPARENT);
    int w = TextWidth(dc, text);
    int a = 0;
    if (alignment_ == taCenter)
        a = Round(maxLineWidth_ / 2.0 - w / 2.0);
    else if (alignment_ == taRightJustify)
        a = maxLineWidth_ - w;
    auto draw = [&](TColor color, int left, int top) {
        SetTextColor(dc, ColorToRGB(color));
        ExtTextOutA(dc, left, top, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    };
    int d = depth_;
    switch (textStyle_) {
    case tsRaised:
        draw(clBtnHighlight, x + a - d, y - d);
        draw(clBtnShadow, x + a + d, y + d);
        break;
    case tsLowered:
        draw(clBtnShadow, x + a - d, y - d);
        draw(clBtnHighlight, x + a + d, y + d);
        break;
    case tsShaddow:
        draw(clBtnShadow, x + a + d, y + d);
        break;
    case tsNormal:
        break;
    }
    draw(Font.Color(), x + a, y);
}

void TCustomScrollText::Properties(PropertyWalk& walk) {
    TGraphicControl::Properties(walk);
    static constexpr Property<TCustomScrollText> properties[] = {
        {"Alignment", as::Enum<&TCustomScrollText::SetAlignment, kAlignments>, "alignment",
         shown::Int<&TCustomScrollText::alignment_>},
        {"TextStyle", as::Enum<&TCustomScrollText::SetTextStyle, kTextStyles>},
        {"ScrollDirection", as::Enum<&TCustomScrollText::SetScrollDirection, kScrollDirections>, "direction",
         shown::Int<&TCustomScrollText::scrollDirection_>},
        {"Color", as::Color<&TCustomScrollText::SetColor>},
        {"Continuous", as::Bool<&TCustomScrollText::SetContinuous>, "continuous",
         shown::Bool<&TCustomScrollText::continuous_>},
        {"Steps", as::Int<&TCustomScrollText::SetSteps>, "steps", shown::Int<&TCustomScrollText::steps_>},
        {"Speed", as::Int<&TCustomScrollText::SetSpeed>, "speed", shown::Int<&TCustomScrollText::speed_>},
        {"Depth", as::Int<&TCustomScrollText::SetDepth>},
        {"Items.Text",
         [](TCustomScrollText& text, const DefValue& v, Binder&) { text.items_->SetText(v.String()); },
         "lines", [](const TCustomScrollText& text) { return text.items_->Text(); }},
        {nullptr, nullptr, "step", shown::Int<&TCustomScrollText::currentStep_>},
        {nullptr, nullptr, "scrolling",
         [](const TCustomScrollText& text) { return std::string(text.scrollTimer_->Enabled() ? "1" : "0"); }},
        {"OnBegin", as::Event<&TCustomScrollText::OnBegin>},
        {"OnStep", as::Event<&TCustomScrollText::OnStep>},
        {"OnEnd", as::Event<&TCustomScrollText::OnEnd>},
    };
    walk(*this, properties);
}

} // namespace ScrollText
