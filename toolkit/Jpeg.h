// JPEG pictures decoded into 32-bit top-down pixels that GDI draws directly.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0x00RRGGBB, top row first
};

// Throws Exception with libjpeg's message when the data is not a picture it can read.
Picture DecodeJpeg(std::string_view data);
