#include "toolkit/OemText.h"

#include <iterator>
#include <vector>

namespace {

// What character graphics are drawn with: the double and single frames, the shades and the blocks.
constexpr wchar_t kGraphics[] = L"\x2554\x2550\x2557\x2551\x255A\x255D\x250C\x2500\x2510\x2502\x2514\x2518"
                                L"\x253C\x2591\x2592\x2593\x2588\x2580\x2584\x258C\x2590";
constexpr int kGraphicsCount = static_cast<int>(std::size(kGraphics) - 1);

// Fixed-pitch faces that Windows has long carried with all of them; any other such face will do too.
const wchar_t* const kPreferred[] = {L"Courier New", L"Lucida Console", L"Consolas"};

::Font MakeFixedPitch(const std::wstring& face, const TFont& like) {
    LOGFONTW lf{};
    lf.lfHeight = like.Height();
    lf.lfWeight = (like.Style() & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (like.Style() & fsItalic) != 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    // Smoothed edges would blur the lines that meet from one character cell to the next.
    lf.lfQuality = NONANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    return ::Font(CreateFontIndirectW(&lf));
}

// Whether the system gives this very face, fixed-pitch, with every character of the graphics.
bool Suits(HDC dc, HFONT font, const std::wstring& face) {
    Selection selected(dc, font);
    wchar_t given[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, given);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    WORD glyphs[kGraphicsCount];
    if (lstrcmpiW(given, face.c_str()) != 0 || (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) ||
        GetGlyphIndicesW(dc, kGraphics, kGraphicsCount, glyphs, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
        return false;
    for (WORD glyph : glyphs)
        if (glyph == 0xFFFF)
            return false;
    return true;
}

int CALLBACK CollectFixedPitch(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM faces) {
    // (TMPF_FIXED_PITCH set means variable pitch; the LOGFONT's pitch says it plainly.)
    if ((font->lfPitchAndFamily & 3) == FIXED_PITCH && font->lfFaceName[0] != L'@')
        reinterpret_cast<std::vector<std::wstring>*>(faces)->push_back(font->lfFaceName);
    return 1;
}

} // namespace

bool NeedsOemStandIn(const TFont& font) {
    return font.Charset() == OEM_CHARSET && font.Metrics().tmCharSet != OEM_CHARSET;
}

std::wstring OemToWide(const std::string& bytes) {
    if (bytes.empty())
        return {};
    int size = static_cast<int>(bytes.size());
    std::wstring text(MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), size, text.data(), static_cast<int>(text.size()));
    return text;
}

std::string WideToOem(const std::wstring& text) {
    if (text.empty())
        return {};
    int size = static_cast<int>(text.size());
    std::string bytes(WideCharToMultiByte(CP_OEMCP, 0, text.data(), size, nullptr, 0, nullptr, nullptr),
                      '\0');
    WideCharToMultiByte(CP_OEMCP, 0, text.data(), size, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                        nullptr);
    return bytes;
}

::Font OemStandInFont(const TFont& font) {
    WindowDC screen(nullptr);
    std::vector<std::wstring> faces(std::begin(kPreferred), std::end(kPreferred));
    LOGFONTW all{};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(screen.Get(), &all, CollectFixedPitch, reinterpret_cast<LPARAM>(&faces), 0);
    for (const std::wstring& face : faces) {
        ::Font candidate = MakeFixedPitch(face, font);
        if (Suits(screen.Get(), candidate.Get(), face))
            return candidate;
    }
    // None has them all: the system's own fixed-pitch face still keeps the columns of the drawing.
    return MakeFixedPitch(L"", font);
}

std::string DrawnFace(HFONT font) {
    WindowDC screen(nullptr);
    Selection selected(screen.Get(), font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(screen.Get(), sizeof face, face);
    return face;
}
