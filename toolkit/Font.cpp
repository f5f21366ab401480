#include "toolkit/Font.h"

#include "toolkit/Properties.h"

void TFont::Assign(const TFont& source) {
    if (&source == this)
        return;
    name_ = source.name_;
    height_ = source.height_;
    style_ = source.style_;
    charset_ = source.charset_;
    color_ = source.color_;
    Changed();
}

void TFont::SetName(const std::string& name) {
    if (Change(name_, name))
        Changed();
}

void TFont::SetHeight(int height) {
    if (Change(height_, height))
        Changed();
}

void TFont::SetSize(int points) {
    SetHeight(-MulDiv(points, kPixelsPerInch, 72));
}

void TFont::SetStyle(TFontStyles style) {
    if (Change(style_, style))
        Changed();
}

void TFont::SetCharset(BYTE charset) {
    if (Change(charset_, charset))
        Changed();
}

void TFont::SetColor(TColor color) {
    if (Change(color_, color))
        Changed();
}

void TFont::Properties(PropertyWalk& walk, std::string_view prefix, bool described) {
    static constexpr Property<TFont> properties[] = {
        {"Name", as::Text<&TFont::SetName>, "font.name", shown::Text<&TFont::name_>},
        {"Height", as::Int<&TFont::SetHeight>, "font.height", shown::Int<&TFont::height_>},
        {"Color", as::Color<&TFont::SetColor>, "font.color", shown::Color<&TFont::color_>},
        {"Charset", as::Enum<&TFont::SetCharset, kCharsets>, "font.charset", shown::Int<&TFont::charset_>},
        {"Style", as::Flags<&TFont::SetStyle, kFontStyles>},
    };
    walk(*this, properties, prefix, described);
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONTA lf{};
        lf.lfHeight = height_;
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) != 0;
        lf.lfUnderline = (style_ & fsUnderline) != 0;
        lf.lfStrikeOut = (style_ & fsStrikeOut) != 0;
        lf.lfCharSet = charset_;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = DEFAULT_PITCH;
        lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
        handle_ = ::Font(CreateFontIndirectA(&lf));
    }
    return handle_.Get();
}

TEXTMETRICA TFont::Metrics() const {
    WindowDC screen(nullptr);
    Selection selected(screen.Get(), Handle());
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen.Get(), &metrics);
    return metrics;
}

void TFont::Changed() {
    handle_ = ::Font();
    if (OnChange)
        OnChange();
}
