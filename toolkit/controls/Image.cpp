#include "toolkit/controls/Image.h"

#include "toolkit/Properties.h"
#include "toolkit/Resources.h"

void TImage::SetPicture(const std::string& resource) {
    picture_ = DecodeJpeg(ResourceData(resource));
    FitToPicture();
    Invalidate();
}

void TImage::SetStretch(bool stretch) {
    if (Change(stretch_, stretch))
        Invalidate();
}

void TImage::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    FitToPicture();
}

void TImage::FitToPicture() {
    if (autoSize_ && picture_.width > 0)
        SetBounds(left_, top_, picture_.width, picture_.height);
}

void TImage::Paint(HDC dc) {
    if (picture_.pixels.empty())
        return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture_.width;
    info.bmiHeader.biHeight = -picture_.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (stretch_) {
        SetStretchBltMode(dc, COLORONCOLOR);
        StretchDIBits(dc, 0, 0, width_, height_, 0, 0, picture_.width, picture_.height,
                      picture_.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    } else {
        SetDIBitsToDevice(dc, 0, 0, picture_.width, picture_.height, 0, 0, 0, picture_.height,
                          picture_.pixels.data(), &info, DIB_RGB_COLORS);
    }
}

void TImage::Properties(PropertyWalk& walk) {
    TGraphicControl::Properties(walk);
    static constexpr Property<TImage> properties[] = {
        {"Picture", as::Text<&TImage::SetPicture>},
        {"Stretch", as::Bool<&TImage::SetStretch>},
        {"AutoSize", as::Bool<&TImage::SetAutoSize>},
        {nullptr, nullptr, "picture.size",
         [](const TImage& image) {
             return std::to_string(image.picture_.width) + "," + std::to_string(image.picture_.height);
         }},
    };
    walk(*this, properties);
}
