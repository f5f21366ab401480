#include "Driver.h"

#include <cstdio>
#include <stdexcept>

namespace driver {

uint32_t Pixels::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
        throw std::runtime_error("pixel " + std::to_string(x) + "," + std::to_string(y) + " is outside the " +
                                 std::to_string(width) + "x" + std::to_string(height) + " capture");
    return pixels[static_cast<size_t>(y) * width + x];
}

static BITMAPINFOHEADER TopDownHeader(int width, int height) {
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    return header;
}

Pixels Capture(HWND hwnd, bool withFrame) {
    RECT area = {};
    if (withFrame) {
        GetWindowRect(hwnd, &area);
    } else {
        GetClientRect(hwnd, &area);
        MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&area), 2);
    }
    Pixels capture;
    capture.width = area.right - area.left;
    capture.height = area.bottom - area.top;
    if (capture.width <= 0 || capture.height <= 0)
        throw std::runtime_error("window " + Describe(hwnd) + " has nothing to capture");

    // From the screen rather than the window's DC, so that what covers the window is seen too.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = TopDownHeader(capture.width, capture.height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BOOL copied = BitBlt(memory, 0, 0, capture.width, capture.height, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    if (copied) {
        auto* first = static_cast<const uint32_t*>(bits);
        capture.pixels.assign(first, first + static_cast<size_t>(capture.width) * capture.height);
        for (uint32_t& pixel : capture.pixels)
            pixel &= 0x00FFFFFF;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    if (!copied)
        throw std::runtime_error("cannot copy window " + Describe(hwnd) + " from the screen");
    return capture;
}

void SaveBmp(const Pixels& capture, const std::string& path) {
    BITMAPINFOHEADER header = TopDownHeader(capture.width, capture.height);
    DWORD pixelBytes = static_cast<DWORD>(capture.pixels.size() * sizeof(uint32_t));
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + pixelBytes;
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        throw std::runtime_error("cannot create " + path);
    bool written = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                   std::fwrite(&header, sizeof header, 1, out) == 1 &&
                   std::fwrite(capture.pixels.data(), pixelBytes, 1, out) == 1;
    if (std::fclose(out) != 0 || !written)
        throw std::runtime_error("cannot write " + path);
}

} // namespace driver
