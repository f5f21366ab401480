// Text as controls draw it: in the font's colour, or engraved when the control is disabled.
#pragma once

#include "Color.h"

#include <string>
#include <windows.h>

void DrawControlText(HDC dc, const std::string& text, RECT r, UINT flags, TColor color, bool enabled);
