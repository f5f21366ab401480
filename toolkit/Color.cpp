#include "toolkit/Color.h"

#include "toolkit/Exception.h"

#include <utility>

COLORREF ColorToRGB(TColor color) {
    if (color & clSystemColor)
        return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color);
}

TColor ColorFromName(const std::string& name) {
    static const std::pair<const char*, TColor> names[] = {
        {"clBlack", clBlack},
        {"clMaroon", clMaroon},
        {"clGreen", clGreen},
        {"clNavy", clNavy},
        {"clGray", clGray},
        {"clSilver", clSilver},
        {"clRed", clRed},
        {"clLime", clLime},
        {"clYellow", clYellow},
        {"clBlue", clBlue},
        {"clWhite", clWhite},
        {"clNone", clNone},
        {"clActiveCaption", clActiveCaption},
        {"clInactiveCaption", clInactiveCaption},
        {"clWindow", clWindow},
        {"clWindowText", clWindowText},
        {"clCaptionText", clCaptionText},
        {"clBtnFace", clBtnFace},
        {"clBtnShadow", clBtnShadow},
        {"clGrayText", clGrayText},
        {"clBtnText", clBtnText},
        {"clInactiveCaptionText", clInactiveCaptionText},
        {"clBtnHighlight", clBtnHighlight},
    };
    for (const auto& [text, value] : names)
        if (name == text)
            return value;
    throw Exception("'" + name + "' is not a colour");
}
