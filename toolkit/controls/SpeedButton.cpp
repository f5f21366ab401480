#include "toolkit/controls/SpeedButton.h"

#include "toolkit/Properties.h"
#include "toolkit/Text.h"

#include <cctype>

void TSpeedButton::SetCaption(const std::string& caption) {
    if (Change(caption_, caption))
        Invalidate();
}

char TSpeedButton::Accelerator() const {
    for (std::size_t i = 0; i + 1 < caption_.size(); ++i) {
        if (caption_[i] != '&')
            continue;
        if (caption_[i + 1] != '&')
            return static_cast<char>(std::toupper(static_cast<unsigned char>(caption_[i + 1])));
        ++i;
    }
    return 0;
}

void TSpeedButton::SetDown(bool down) {
    if (Change(down_, down))
        Invalidate();
}

void TSpeedButton::SetEnabled(bool enabled) {
    if (!enabled)
        SetDown(false);
    TGraphicControl::SetEnabled(enabled);
}

void TSpeedButton::MouseDown(TMouseButton button) {
    if (button == mbLeft && enabled_)
        SetDown(true);
    TGraphicControl::MouseDown(button);
}

void TSpeedButton::MouseMove(TShiftState shift, int x, int y) {
    // While pressed, the button looks down only with the pointer over it.
    SetDown(clicked_ && x >= 0 && y >= 0 && x < width_ && y < height_);
    TGraphicControl::MouseMove(shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, int x, int y) {
    SetDown(false);
    TGraphicControl::MouseUp(button, x, y);
}

void TSpeedButton::Paint(HDC dc) {
    RECT r{0, 0, width_, height_};
    Brush face(CreateSolidBrush(ColorToRGB(clBtnFace)));
    FillRect(dc, &r, face.Get());
    DrawEdge(dc, &r, down_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (down_)
        OffsetRect(&r, 1, 1);
    Selection font(dc, Font.Handle());
    DrawControlText(dc, caption_, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE, Font.Color(), enabled_);
}

bool TSpeedButton::TakeAccelerator(char upper) {
    if (!Visible() || !Enabled() || Accelerator() != upper)
        return false;
    Click();
    return true;
}

bool TSpeedButton::TakeDialogKey(WORD key) {
    if (!(key == VK_RETURN ? Default : Cancel))
        return false;
    if (Visible() && Enabled())
        Click();
    return true;
}

void TSpeedButton::Properties(PropertyWalk& walk) {
    TGraphicControl::Properties(walk);
    static constexpr Property<TSpeedButton> properties[] = {
        {"Caption", as::Text<&TSpeedButton::SetCaption>, "caption", shown::Text<&TSpeedButton::caption_>},
        {"Default", as::Bool<&TSpeedButton::Default>},
        {"Cancel", as::Bool<&TSpeedButton::Cancel>},
    };
    walk(*this, properties);
}
