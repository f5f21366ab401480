#include "components/Wordcap.h"

#include <optional>

namespace {

int Metric(int index) {
    return GetSystemMetrics(index);
}

} // namespace

TBorderStyle TMSOfficeCaption::CaptionStyle() const {
    return Designing ? bsSizeable : ownerForm_->BorderStyle();
}

bool TMSOfficeCaption::ToolWindow() const {
    TBorderStyle style = ownerForm_->BorderStyle();
    return !Designing && (style == bsToolWindow || style == bsSizeToolWin);
}

bool TMSOfficeCaption::HasSystemMenuBox() const {
    TBorderStyle style = ownerForm_->BorderStyle();
    return Designing ||
           ((ownerForm_->BorderIcons() & biSystemMenu) && (style == bsSingle || style == bsSizeable));
}

RECT TMSOfficeCaption::GetCaptionRect() const {
    TBorderStyle style = CaptionStyle();
    if (style == bsNone)
        return {};
    RECT r{};
    GetWindowRect(window_, &r);
    OffsetRect(&r, -r.left, -r.top);
    if (IsIconic(window_)) {
        if (NewStyle())
            InflateRect(&r, -Metric(SM_CXDLGFRAME), -Metric(SM_CYDLGFRAME));
        else
            InflateRect(&r, -(Metric(SM_CXBORDER) + Metric(SM_CXDLGFRAME)),
                        -(Metric(SM_CYBORDER) + Metric(SM_CYDLGFRAME)));
    } else if (style == bsSizeable || style == bsSizeToolWin) {
        InflateRect(&r, -Metric(SM_CXFRAME), -Metric(SM_CYFRAME));
    } else {
        InflateRect(&r, -Metric(SM_CXDLGFRAME), -Metric(SM_CYDLGFRAME));
    }
    bool tool = style == bsToolWindow || style == bsSizeToolWin;
    r.bottom = r.top + Metric(tool ? SM_CYSMCAPTION : SM_CYCAPTION) - 1;
    return r;
}

TCaptionButtons TMSOfficeCaption::GetCaptionButtons() const {
    if (Designing)
        return cbClose | cbMinimize | cbMaximize;
    TBorderStyle style = ownerForm_->BorderStyle();
    TBorderIcons icons = ownerForm_->BorderIcons();
    if (style == bsNone || !(icons & biSystemMenu))
        return 0;
    if (style == bsToolWindow || style == bsSizeToolWin)
        return cbClose;
    TCaptionButtons buttons = NewStyle() ? TCaptionButtons{cbClose} : 0;
    bool help = icons & biHelp;
    if ((style == bsDialog && help) ||
        ((style == bsSingle || style == bsSizeable) && help && !(icons & (biMinimize | biMaximize))))
        buttons |= cbHelp;
    if (style == bsDialog)
        return buttons;
    if (NewStyle()) {
        if (icons & (biMinimize | biMaximize))
            buttons |= cbMinimize | cbMaximize;
    } else {
        if (icons & biMinimize)
            buttons |= cbMinimize;
        if (icons & biMaximize)
            buttons |= cbMaximize;
    }
    return buttons;
}

RECT TMSOfficeCaption::ExcludeButtonArea(RECT r) const {
    if (ownerForm_->BorderStyle() == bsNone && !Designing)
        return r;
    int w = Metric(ToolWindow() ? SM_CXSMSIZE : SM_CXSIZE);
    TCaptionButtons buttons = GetCaptionButtons();
    if (buttons & cbClose)
        r.right -= w + 2;
    if (buttons & cbMinimize)
        r.right -= w;
    if (buttons & cbMaximize)
        r.right -= w;
    if (buttons & cbHelp)
        r.right -= w + 2;
    if (!NewStyle() && HasSystemMenuBox())
        r.left += w;
    return r;
}

RECT TMSOfficeCaption::GetTextRect() const {
    RECT r = ExcludeButtonArea(GetCaptionRect());
    if (r.left >= r.right)
        r.right = r.left + 2;
    return r;
}

RECT TMSOfficeCaption::PaintCaption(bool active) {
    RECT painted{};
    // Without a window GetWindowDC would give the whole screen.
    if ((ownerForm_->BorderStyle() == bsNone && !Designing) || !window_)
        return painted;
    WindowDC window(window_, DCArea::Window);
    if (!window.Get())
        return painted;
    OwnedDC memory(CreateCompatibleDC(window.Get()));
    if (!memory.Get())
        return painted;
    HDC dc = memory.Get();
    RECT text = GetTextRect();
    RECT frame = NewStyle() ? GetCaptionRect() : text;
    // As wide and high as the bar's far corner, so that the bitmap has the window's coordinates.
    Bitmap bitmap(CreateCompatibleBitmap(window.Get(), frame.right, frame.bottom));
    if (!bitmap)
        return painted;
    Selection selected(dc, bitmap.Get());

    COLORREF system = ColorToRGB(active ? clActiveCaption : clInactiveCaption);
    COLORREF right = ColorToRGB(active ? colorRightActive_ : colorRightInActive_);
    COLORREF left = ColorToRGB(active ? colorLeftActive_ : colorLeftInActive_);
    bool gradient = GradientShown(dc, active);
    if (NewStyle())
        FillSolid(dc, gradient ? right : system, frame);
    if (gradient)
        FillGradient(dc, left, right, text);
    else
        FillSolid(dc, system, text);
    if (NewStyle() && HasSystemMenuBox())
        DrawSystemIcon(dc, text);
    if (NewStyle())
        DrawCaptionButtons(dc, frame);
    if (OnDrawCaption) {
        TCanvas canvas(dc, *systemCaptionFont_);
        OnDrawCaption(this, canvas, text);
    }
    captionText_->caption_ = captionText_->GetCaption();
    DrawTexts(dc, text, active);

    BitBlt(window.Get(), frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, dc,
           frame.left, frame.top, SRCCOPY);
    painted = frame;
    return painted;
}

bool TMSOfficeCaption::GradientShown(HDC dc, bool active) const {
    switch (enabled_) {
    case geAlways:
        return true;
    case geNever:
        return false;
    case geWhenActive:
        return active;
    case geSmart:
        // A palette of 256 colours has room for one gradient: the active one.
        return active ? GetDeviceCaps(dc, BITSPIXEL) >= 8 : GetDeviceCaps(dc, BITSPIXEL) > 8;
    }
    return false;
}

void TMSOfficeCaption::FillSolid(HDC dc, COLORREF color, const RECT& rect) {
    Brush brush(CreateSolidBrush(color));
    Selection selected(dc, brush.Get());
    PatBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, PATCOPY);
}

void TMSOfficeCaption::FillGradient(HDC dc, COLORREF left, COLORREF right, const RECT& rect) const {
    int n = numColors_;
    int width = rect.right - rect.left;
    int r0 = GetRValue(left), g0 = GetGValue(left), b0 = GetBValue(left);
    int dr = GetRValue(right) - r0, dg = GetGValue(right) - g0, db = GetBValue(right) - b0;
    for (int i = 0; i < n; ++i) {
        RECT band{rect.left + MulDiv(i, width, n), rect.top, rect.left + MulDiv(i + 1, width, n),
                  rect.bottom};
        COLORREF color =
            n > 1 ? RGB(r0 + MulDiv(i, dr, n - 1), g0 + MulDiv(i, dg, n - 1), b0 + MulDiv(i, db, n - 1))
                  : left;
        FillSolid(dc, color, band);
    }
}

void TMSOfficeCaption::DrawSystemIcon(HDC dc, RECT& t) const {
    t.left += 1;
    HWND form = window_;
    auto icon = reinterpret_cast<HICON>(SendMessageA(form, WM_GETICON, ICON_BIG, 0));
    if (!icon)
        icon = reinterpret_cast<HICON>(SendMessageA(form, WM_GETICON, ICON_SMALL, 0));
    if (!icon)
        icon = reinterpret_cast<HICON>(GetClassLongPtrA(Application.Handle(), GCLP_HICON));
    // The system's own icon is shared: it is used, never destroyed.
    if (!icon)
        icon = LoadIconA(nullptr, IDI_APPLICATION);
    int cx = Metric(SM_CXSMICON) ? Metric(SM_CXSMICON) : Metric(SM_CXSIZE);
    int cy = Metric(SM_CYSMICON) ? Metric(SM_CYSMICON) : Metric(SM_CYSIZE);
    OwnedIcon copy(static_cast<HICON>(CopyImage(icon, IMAGE_ICON, cx, cy, LR_COPYFROMRESOURCE)));
    // An icon made in memory has no resource to copy from; it is scaled as it is drawn instead.
    if (copy.Get())
        DrawIconEx(dc, t.left + 1, t.top + 1, copy.Get(), 0, 0, 0, nullptr, DI_NORMAL);
    else
        DrawIconEx(dc, t.left + 1, t.top + 1, icon, cx, cy, 0, nullptr, DI_NORMAL);
    t.left += Metric(SM_CXSMICON) + 1;
}

void TMSOfficeCaption::DrawCaptionButtons(HDC dc, const RECT& f) const {
    RECT b = f;
    InflateRect(&b, -2, -2);
    int w = Metric(ToolWindow() ? SM_CXSMSIZE : SM_CXSIZE) - 2;
    b.left = b.right - w;
    TCaptionButtons buttons = GetCaptionButtons();
    TBorderIcons icons = ownerForm_->BorderIcons();
    if (buttons & cbClose) {
        DrawFrameControl(dc, &b, DFC_CAPTION, DFCS_CAPTIONCLOSE);
        OffsetRect(&b, -(w + 2), 0);
    }
    if (buttons & cbMaximize) {
        UINT state = (IsZoomed(window_) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMAX) |
                     (icons & biMaximize ? 0 : DFCS_INACTIVE);
        DrawFrameControl(dc, &b, DFC_CAPTION, state);
        OffsetRect(&b, -w, 0);
    }
    if (buttons & cbMinimize) {
        UINT state = (IsIconic(window_) ? DFCS_CAPTIONRESTORE : DFCS_CAPTIONMIN) |
                     (icons & biMinimize ? 0 : DFCS_INACTIVE);
        DrawFrameControl(dc, &b, DFC_CAPTION, state);
        OffsetRect(&b, -w, 0);
    }
    if (buttons & cbHelp)
        DrawFrameControl(dc, &b, DFC_CAPTION, DFCS_CAPTIONHELP);
}

void TMSOfficeCaption::DrawTexts(HDC dc, RECT& t, bool active) const {
    const TCompanyText& company = *companyText_;
    const TCompanyText& application = *appNameText_;
    const TCompanyText& caption = *captionText_;
    int avail = t.right - t.left;
    int wCompany = company.visible_ ? MeasureTextElement(dc, t, company) : 0;
    int wApplication = application.visible_ ? MeasureTextElement(dc, t, application) : 0;
    int wCaptionMeasured = MeasureTextElement(dc, t, caption);
    int wCaption = caption.visible_ ? wCaptionMeasured : 0;
    bool showCompany = wCompany + wApplication + wCaption < avail;
    bool showApplication = showCompany || wApplication + wCaption < avail;
    int total = showCompany       ? wCompany + wApplication + wCaption
                : showApplication ? wApplication + wCaption
                                  : wCaptionMeasured;
    TJustification justification = justification_;
    if (justification == jAuto)
        justification = NewStyle() ? jLeft : jCenter;
    if (total < avail) {
        if (justification == jCenter)
            t.left += (avail - total) / 2;
        else if (justification == jRight)
            t.left += avail - total;
    }
    if (showCompany && !company.caption_.empty() && company.visible_)
        DrawTextElement(dc, t, active, company);
    if (showApplication && !application.caption_.empty() && application.visible_)
        DrawTextElement(dc, t, active, application);
    if (caption.visible_)
        DrawTextElement(dc, t, active, caption);
}

int TMSOfficeCaption::MeasureTextElement(HDC dc, const RECT& rect, const TCompanyText& element) {
    std::optional<Selection> font;
    if (HFONT handle = element.Font.Handle())
        font.emplace(dc, handle);
    RECT measured = rect;
    DrawTextA(dc, element.caption_.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    return measured.right - measured.left + 3;
}

void TMSOfficeCaption::DrawTextElement(HDC dc, RECT& t, bool active, const TCompanyText& element) {
    t.left += 3;
    SavedDC saved(dc);
    SetTextColor(dc, ColorToRGB(active ? element.colorActive_ : element.colorInactive_));
    SetBkMode(dc, TRANSPARENT);
    if (HFONT handle = element.Font.Handle())
        SelectObject(dc, handle);
    RECT measured = t;
    DrawTextA(dc, element.caption_.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    RECT drawn = t;
    DrawTextA(dc, element.caption_.c_str(), -1, &drawn, DT_END_ELLIPSIS | DT_SINGLELINE | DT_VCENTER);
    t.left = measured.right;
}
