#include "toolkit/controls/Label.h"

#include "toolkit/Properties.h"
#include "toolkit/Text.h"

TLabel::TLabel() {
    parentColor_ = true;
}

void TLabel::SetCaption(const std::string& caption) {
    if (Change(caption_, caption)) {
        AdjustSize();
        Invalidate();
    }
}

void TLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    AdjustSize();
}

void TLabel::SetTransparent(bool transparent) {
    if (Change(transparent_, transparent))
        Invalidate();
}

void TLabel::SetAlignment(TAlignment alignment) {
    if (Change(alignment_, alignment))
        Invalidate();
}

void TLabel::FontChanged() {
    AdjustSize();
    Invalidate();
}

UINT TLabel::DrawFlags() const {
    UINT flags = DT_EXPANDTABS;
    if (wordWrap_)
        flags |= DT_WORDBREAK;
    if (!showAccelChar_)
        flags |= DT_NOPREFIX;
    if (alignment_ == taRightJustify)
        flags |= DT_RIGHT;
    else if (alignment_ == taCenter)
        flags |= DT_CENTER;
    return flags;
}

void TLabel::AdjustSize() {
    if (!autoSize_)
        return;
    RECT r{0, 0, wordWrap_ ? width_ : 0, 0};
    {
        WindowDC screen(nullptr);
        Selection font(screen.Get(), Font.Handle());
        // An empty caption still takes the height of a line.
        std::string text = caption_.empty() ? std::string(" ") : caption_;
        DrawTextA(screen.Get(), text.c_str(), -1, &r, DrawFlags() | DT_CALCRECT);
    }
    SetBounds(left_, top_, caption_.empty() ? 0 : r.right, r.bottom);
}

void TLabel::Paint(HDC dc) {
    RECT r{0, 0, width_, height_};
    if (!transparent_) {
        Brush fill(CreateSolidBrush(ColorToRGB(color_)));
        FillRect(dc, &r, fill.Get());
    }
    Selection font(dc, Font.Handle());
    DrawControlText(dc, caption_, r, DrawFlags(), Font.Color(), enabled_);
}

void TLabel::Properties(PropertyWalk& walk) {
    TGraphicControl::Properties(walk);
    static constexpr Property<TLabel> properties[] = {
        {"Caption", as::Text<&TLabel::SetCaption>, "caption", shown::Text<&TLabel::caption_>},
        {"AutoSize", as::Bool<&TLabel::SetAutoSize>, "autosize", shown::Bool<&TLabel::autoSize_>},
        {"Transparent", as::Bool<&TLabel::SetTransparent>, "transparent", shown::Bool<&TLabel::transparent_>},
        {"WordWrap", as::Bool<&TLabel::wordWrap_>},
        {"ShowAccelChar", as::Bool<&TLabel::showAccelChar_>},
        {"Alignment", as::Enum<&TLabel::SetAlignment, kAlignments>},
    };
    walk(*this, properties);
}
