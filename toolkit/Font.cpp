#include "Font.h"

#include "Definition.h"

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
    if (name != name_) {
        name_ = name;
        Changed();
    }
}

void TFont::SetHeight(int height) {
    if (height != height_) {
        height_ = height;
        Changed();
    }
}

int TFont::Size() const {
    return -MulDiv(height_, 72, kPixelsPerInch);
}

void TFont::SetSize(int points) {
    SetHeight(-MulDiv(points, kPixelsPerInch, 72));
}

void TFont::SetStyle(TFontStyles style) {
    if (style != style_) {
        style_ = style;
        Changed();
    }
}

void TFont::SetCharset(BYTE charset) {
    if (charset != charset_) {
        charset_ = charset;
        Changed();
    }
}

void TFont::SetColor(TColor color) {
    if (color != color_) {
        color_ = color;
        Changed();
    }
}

bool TFont::SetProperty(const std::string& name, const DefValue& value) {
    if (name == "Name")
        SetName(value.String());
    else if (name == "Height")
        SetHeight(value.Int());
    else if (name == "Size")
        SetSize(value.Int());
    else if (name == "Color")
        SetColor(value.Color());
    else if (name == "Charset")
        SetCharset(static_cast<BYTE>(value.Enum({{"ANSI_CHARSET", ANSI_CHARSET},
                                                 {"DEFAULT_CHARSET", DEFAULT_CHARSET},
                                                 {"SYMBOL_CHARSET", SYMBOL_CHARSET},
                                                 {"OEM_CHARSET", OEM_CHARSET}})));
    else if (name == "Style")
        SetStyle(value.Set({{"fsBold", fsBold},
                            {"fsItalic", fsItalic},
                            {"fsUnderline", fsUnderline},
                            {"fsStrikeOut", fsStrikeOut}}));
    else
        return false;
    return true;
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

void TFont::Changed() {
    handle_ = ::Font();
    if (OnChange)
        OnChange();
}
