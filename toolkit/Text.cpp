#include "Text.h"

void DrawControlText(HDC dc, const std::string& text, RECT r, UINT flags, TColor color, bool enabled) {
    SetBkMode(dc, TRANSPARENT);
    if (enabled) {
        SetTextColor(dc, ColorToRGB(color));
        DrawTextA(dc, text.c_str(), -1, &r, flags);
        return;
    }
    // A light copy under a shadowed one, one pixel apart.
    OffsetRect(&r, 1, 1);
    SetTextColor(dc, ColorToRGB(clBtnHighlight));
    DrawTextA(dc, text.c_str(), -1, &r, flags);
    OffsetRect(&r, -1, -1);
    SetTextColor(dc, ColorToRGB(clBtnShadow));
    DrawTextA(dc, text.c_str(), -1, &r, flags);
}
