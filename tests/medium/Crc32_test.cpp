// The CRC every member is checked and written with: zlib's as we build it, folding by carry-less
// multiplication where the processor can, which must agree with the CRC's definition for every
// length, alignment and starting value.
#include "core/Crc32.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

uint32_t BitByBit(const uint8_t* data, size_t size, uint32_t crc) {
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

} // namespace

TEST(Crc32, AgreesWithTheDefinitionAtEveryLengthAlignmentAndStart) {
    std::mt19937 random(7);
    std::vector<uint8_t> data(70000);
    for (uint8_t& byte : data)
        byte = uint8_t(random());
    for (size_t length = 0; length < 300; ++length) {
        for (size_t offset : {0, 1, 7, 15}) {
            const uint32_t start = length % 3 ? uint32_t(random()) : 0;
            ASSERT_EQ(unrar::Crc32(data.data() + offset, length, start),
                      BitByBit(data.data() + offset, length, start))
                << length << " bytes at " << offset;
        }
    }
    for (size_t length : {4096, 65535, 65536, 69999}) {
        const uint32_t start = uint32_t(random());
        ASSERT_EQ(unrar::Crc32(data.data() + 1, length - 1, start),
                  BitByBit(data.data() + 1, length - 1, start));
    }
}
