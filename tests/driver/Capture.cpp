#include "tests/driver/Driver.h"

#include <algorithm>
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

RECT ColorBounds(const Pixels& capture, uint32_t color) {
    RECT bounds = {};
    for (int y = 0; y < capture.height; ++y)
        for (int x = 0; x < capture.width; ++x)
            if (capture.At(x, y) == color) {
                RECT pixel = {x, y, x + 1, y + 1};
                UnionRect(&bounds, &bounds, &pixel);
            }
    return bounds;
}

RECT StrokeBounds(const Pixels& capture, uint32_t color) {
    RECT bounds = {};
    auto first = std::find(capture.pixels.begin(), capture.pixels.end(), color);
    if (first == capture.pixels.end())
        return bounds;
    std::vector<bool> seen(capture.pixels.size());
    std::vector<int> pending = {static_cast<int>(first - capture.pixels.begin())};
    seen[pending.front()] = true;
    while (!pending.empty()) {
        int at = pending.back();
        pending.pop_back();
        int x = at % capture.width, y = at / capture.width;
        RECT pixel = {x, y, x + 1, y + 1};
        UnionRect(&bounds, &bounds, &pixel);
        for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, capture.height - 1); ++ny)
            for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, capture.width - 1); ++nx) {
                int next = ny * capture.width + nx;
                if (!seen[next] && capture.pixels[next] == color) {
                    seen[next] = true;
                    pending.push_back(next);
                }
            }
    }
    return bounds;
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
