// The forms ask for "MS Sans Serif", "Arial" and "Terminal"; "Courier New" stands in for the last where
// the system has no OEM face for it. Wine does not say when it has no such face: it quietly draws
// another one, and every test of layout or pixels would then measure that. These tests pin what the
// rig's prefix resolves each face to.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>

namespace {

struct Resolved {
    std::string face;
    TEXTMETRICA metrics = {};
    SIZE sample = {};
};

Resolved Resolve(const char* face, int height, BYTE charset) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    HGDIOBJ old = SelectObject(dc, font);
    Resolved resolved;
    char name[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof name, name);
    resolved.face = name;
    GetTextMetricsA(dc, &resolved.metrics);
    const char sample[] = "Installing Korvadel: 0123456789 %";
    GetTextExtentPoint32A(dc, sample, sizeof sample - 1, &resolved.sample);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return resolved;
}

bool SameMetrics(const Resolved& a, const Resolved& b) {
    return a.metrics.tmHeight == b.metrics.tmHeight && a.metrics.tmAscent == b.metrics.tmAscent &&
           a.metrics.tmAveCharWidth == b.metrics.tmAveCharWidth &&
           a.metrics.tmMaxCharWidth == b.metrics.tmMaxCharWidth && a.sample.cx == b.sample.cx &&
           a.sample.cy == b.sample.cy;
}

// What the prefix draws for a face it does not have: the check that the faces below are real.
const Resolved& Fallback() {
    static const Resolved fallback = Resolve("Korvadel No Such Face", -15, DEFAULT_CHARSET);
    return fallback;
}

TEST(RigFonts, GdiNamesTheFaceItFallsBackTo) {
    EXPECT_NE(Fallback().face, "Korvadel No Such Face");
}

TEST(RigFonts, MsSansSerifIsTheBitmapFaceWithAWindowsCell) {
    Resolved font = Resolve("MS Sans Serif", -11, DEFAULT_CHARSET);
    EXPECT_EQ(font.face, "MS Sans Serif");
    EXPECT_EQ(font.metrics.tmHeight, 13);
    // Neither TrueType nor vector: a raster face, as on Windows.
    EXPECT_EQ(font.metrics.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR), 0);
}

TEST(RigFonts, ArialAndCourierNewAreLiberationFacesThroughTheSubstitutes) {
    for (auto [face, substitute] :
         {std::pair{"Arial", "Liberation Sans"}, {"Courier New", "Liberation Mono"}}) {
        Resolved asked = Resolve(face, -15, DEFAULT_CHARSET);
        Resolved liberation = Resolve(substitute, -15, DEFAULT_CHARSET);
        ASSERT_EQ(liberation.face, substitute) << substitute << " is not installed";
        // A substitute keeps the name asked for; a fallback reports its own.
        EXPECT_EQ(asked.face, face);
        EXPECT_TRUE(SameMetrics(asked, liberation))
            << face << ": height " << asked.metrics.tmHeight << ", average width "
            << asked.metrics.tmAveCharWidth << ", sample " << asked.sample.cx << "; " << substitute
            << ": height " << liberation.metrics.tmHeight << ", average width "
            << liberation.metrics.tmAveCharWidth << ", sample " << liberation.sample.cx;
    }
}

TEST(RigFonts, SansFacesDifferInMetrics) {
    // Otherwise the comparison of Arial with Liberation Sans above would prove nothing.
    Resolved liberation = Resolve("Liberation Sans", -15, DEFAULT_CHARSET);
    Resolved tahoma = Resolve("Tahoma", -15, DEFAULT_CHARSET);
    ASSERT_EQ(tahoma.face, "Tahoma");
    EXPECT_FALSE(SameMetrics(liberation, tahoma));
}

TEST(RigFonts, TerminalFallsBackWithoutItsOemCharset) {
    // Wine ships no "Terminal": the forms that ask for it get the fallback face in the ANSI charset,
    // so bytes above 127 in their text are not drawn as the OEM code page's characters.
    Resolved terminal = Resolve("Terminal", -11, OEM_CHARSET);
    EXPECT_EQ(terminal.face, Fallback().face);
    EXPECT_EQ(terminal.metrics.tmCharSet, ANSI_CHARSET);
    EXPECT_EQ(terminal.metrics.tmHeight,
              Resolve(Fallback().face.c_str(), -11, DEFAULT_CHARSET).metrics.tmHeight);
}

} // namespace
