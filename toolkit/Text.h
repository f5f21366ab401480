// Text as controls draw it: in the font's colour, or engraved when the control is disabled; and text
// taken a character at a time in the process's ANSI code page, as paths are.
#pragma once

#include "toolkit/Color.h"

#include <string>
#include <string_view>
#include <windows.h>

void DrawControlText(HDC dc, const std::string& text, RECT r, UINT flags, TColor color, bool enabled);

class TFont;

// An entry of an owner-drawn list or combo box: the background, a small icon at an indent, then the
// text marked as the system marks selection and focus.
void DrawIconEntry(const DRAWITEMSTRUCT& item, int indent, HICON icon, const std::string& text,
                   const TFont& font, TColor background, bool enabled);

// In a double-byte code page (932, 936, 949, 950) the second byte of a character may be that of a
// backslash, as in 表 (0x95 0x5C in 932): a path is searched character by character, never byte by byte.

// The first `c` at or after `from`, which is where a character starts; npos when there is none.
std::size_t FindChar(std::string_view text, char c, std::size_t from = 0);
// The last character that is one of `chars`, or npos.
std::size_t FindLastChar(std::string_view text, std::string_view chars);
bool EndsWithChar(std::string_view text, char c);
// `name` in `directory`, with one backslash between them.
std::string JoinPath(const std::string& directory, const std::string& name);
