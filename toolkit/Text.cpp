#include "toolkit/Text.h"

#include "toolkit/Font.h"

#include <algorithm>

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

void DrawIconEntry(const DRAWITEMSTRUCT& item, int indent, HICON icon, const std::string& text,
                   const TFont& font, TColor background, bool enabled) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    Brush fill(CreateSolidBrush(ColorToRGB(background)));
    FillRect(dc, &r, fill.Get());
    int size = std::min(16, static_cast<int>(r.bottom - r.top));
    int x = r.left + 2 + indent;
    if (icon)
        DrawIconEx(dc, x, r.top + (r.bottom - r.top - size) / 2, icon, size, size, 0, nullptr, DI_NORMAL);
    Selection selected(dc, font.Handle());
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    RECT mark{x + size + 2, r.top, std::min<LONG>(x + size + 2 + extent.cx + 4, r.right), r.bottom};
    bool chosen = item.itemState & ODS_SELECTED;
    if (chosen)
        FillRect(dc, &mark, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !enabled ? GetSysColor(COLOR_GRAYTEXT)
                     : chosen ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                              : ColorToRGB(font.Color()));
    RECT inside{mark.left + 2, mark.top, mark.right - 2, mark.bottom};
    DrawTextA(dc, text.c_str(), -1, &inside, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS)
        DrawFocusRect(dc, &mark);
}

namespace {

std::size_t NextChar(std::string_view text, std::size_t at) {
    return IsDBCSLeadByte(static_cast<BYTE>(text[at])) && at + 1 < text.size() ? at + 2 : at + 1;
}

} // namespace

std::size_t FindChar(std::string_view text, char c, std::size_t from) {
    for (std::size_t at = from; at < text.size(); at = NextChar(text, at))
        if (text[at] == c)
            return at;
    return std::string_view::npos;
}

std::size_t FindLastChar(std::string_view text, std::string_view chars) {
    std::size_t last = std::string_view::npos;
    for (std::size_t at = 0; at < text.size(); at = NextChar(text, at))
        if (chars.find(text[at]) != std::string_view::npos)
            last = at;
    return last;
}

bool EndsWithChar(std::string_view text, char c) {
    return !text.empty() && FindLastChar(text, std::string_view(&c, 1)) == text.size() - 1;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
    return EndsWithChar(directory, '\\') ? directory + name : directory + "\\" + name;
}
