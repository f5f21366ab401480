// Text in the OEM character set on machines without a face for it: character graphics are drawn with
// the OEM font's box and block characters, and a system that has no such face quietly gives back one
// in another character set, where the same bytes are accented letters. The bytes then go through the
// OEM code page to Unicode and are drawn in a fixed-pitch face that has those characters.
#pragma once

#include "toolkit/Font.h"

#include <string>

// Whether the font asks for the OEM character set and the face the system gives back is not an OEM one.
bool NeedsOemStandIn(const TFont& font);

// The bytes as the OEM code page reads them, and back.
std::wstring OemToWide(const std::string& bytes);
std::string WideToOem(const std::wstring& text);

// A fixed-pitch face with the box and block characters, of the font's height and style.
::Font OemStandInFont(const TFont& font);

// The face that a DC draws the font with.
std::string DrawnFace(HFONT font);
