#pragma once

#include <cstddef>
#include <cstdint>

namespace unrar {

// The CRC-32 of zlib and RAR; `crc` continues an earlier result.
uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);

} // namespace unrar
