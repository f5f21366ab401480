// A font as windows and controls describe it: face, height, style, character set and colour.
#pragma once

#include "toolkit/Color.h"
#include "toolkit/Definition.h"
#include "toolkit/Gdi.h"

#include <functional>
#include <string>
#include <string_view>

struct PropertyWalk;

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
constexpr auto kFontStyles = std::to_array<EnumName<TFontStyle>>(
    {{"fsBold", fsBold}, {"fsItalic", fsItalic}, {"fsUnderline", fsUnderline}, {"fsStrikeOut", fsStrikeOut}});
constexpr auto kCharsets = std::to_array<EnumName<BYTE>>({{"ANSI_CHARSET", ANSI_CHARSET},
                                                          {"DEFAULT_CHARSET", DEFAULT_CHARSET},
                                                          {"SYMBOL_CHARSET", SYMBOL_CHARSET},
                                                          {"OEM_CHARSET", OEM_CHARSET}});

constexpr int kPixelsPerInch = 96;

class TFont {
public:
    TFont() = default;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    // Copies every attribute; the handle is made again when next needed.
    void Assign(const TFont& source);

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    // Negative: character height in pixels; positive: cell height.
    int Height() const { return height_; }
    void SetHeight(int height);
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset);
    TColor Color() const { return color_; }
    void SetColor(TColor color);

    // The font's rows, named after a prefix ("Font."); shown by the inspection if described.
    void Properties(PropertyWalk& walk, std::string_view prefix, bool described = true);

    HFONT Handle() const;
    // The measures of the face the system gives for the font on the screen.
    TEXTMETRICA Metrics() const;

    // Raised after any attribute changed, so the owner can lay out or repaint.
    std::function<void()> OnChange;

private:
    void Changed();

    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_ = 0;
    BYTE charset_ = DEFAULT_CHARSET;
    TColor color_ = clWindowText;
    mutable ::Font handle_;
};
