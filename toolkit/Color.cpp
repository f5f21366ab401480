#include "toolkit/Color.h"

COLORREF ColorToRGB(TColor color) {
    if (color & clSystemColor)
        return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color);
}
