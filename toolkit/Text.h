// Text as controls draw it: in the font's colour, or engraved when the control is disabled.
#pragma once

#include "toolkit/Color.h"

#include <string>
#include <windows.h>

void DrawControlText(HDC dc, const std::string& text, RECT r, UINT flags, TColor color, bool enabled);

class TFont;

// An entry of an owner-drawn list or combo box: the background, a small icon at an indent, then the
// text marked as the system marks selection and focus.
void DrawIconEntry(const DRAWITEMSTRUCT& item, int indent, HICON icon, const std::string& text,
                   const TFont& font, TColor background, bool enabled);
