// The CRC every written member carries: by carry-less multiplication on most processors, which must
// agree with zlib's (libarchive's) for every length, alignment and starting value.
#include "core/Crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

TEST(Crc32, AgreesWithZlibAtEveryLengthAlignmentAndStart) {
    std::mt19937 random(7);
    std::vector<uint8_t> data(70000);
    for (uint8_t& byte : data)
        byte = uint8_t(random());
    for (size_t length = 0; length < 300; ++length) {
        for (size_t offset : {0, 1, 7, 15}) {
            const uint32_t start = length % 3 ? uint32_t(random()) : 0;
            ASSERT_EQ(unrar::Crc32(data.data() + offset, length, start),
                      crc32(start, data.data() + offset, uInt(length)))
                << length << " bytes at " << offset;
        }
    }
    for (size_t length : {4096, 65535, 65536, 69999}) {
        const uint32_t start = uint32_t(random());
        ASSERT_EQ(unrar::Crc32(data.data() + 1, length - 1, start),
                  crc32(start, data.data() + 1, uInt(length - 1)));
    }
}
