#include "Crc32.h"

#include <zlib.h>

namespace unrar {

// zlib's, which libarchive checks member data with; our zlib folds with carry-less multiplication
// where the processor has it.
uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
    return uint32_t(crc32_z(crc, static_cast<const Bytef*>(data), size));
}

} // namespace unrar
