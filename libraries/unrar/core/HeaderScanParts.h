// What the RAR 4 and RAR 5 halves of the header scan share: reading, little-endian fields and the
// walk from block to block that both formats take.
#pragma once

#include "HeaderScan.h"
#include "unrar.h"

#include <cstdint>
#include <string>

namespace unrar::scan {

inline constexpr char kSignature[] = "Rar!\x1a\x07";
inline constexpr size_t kSignatureSize = 6;

inline constexpr uint32_t kAttrDirectory = 0x10;
// Hosts as RAR 4 numbers them, which the interface keeps for both formats.
enum : uint32_t { kHostMsDos = 0, kHostOs2 = 1, kHostWin32 = 2, kHostUnix = 3, kHostMac = 4, kHostBeOs = 5 };

// Up to size bytes at an offset, fewer at the end of the file; false on a read error.
bool ReadAt(InputFile& file, uint64_t offset, size_t size, std::string& out);

inline uint32_t Le16(const std::string& b, size_t at) {
    return uint32_t(static_cast<uint8_t>(b[at])) | uint32_t(static_cast<uint8_t>(b[at + 1])) << 8;
}
inline uint32_t Le32(const std::string& b, size_t at) {
    return Le16(b, at) | Le16(b, at + 2) << 16;
}

inline bool IsUnixModeDirectory(uint32_t mode) {
    return (mode & 0xF000) == 0x4000;
}

// What reading the block at a position found: the next block is after this one's header and data,
// the scan ends with a result, or the block cannot be trusted.
struct Block {
    enum class Outcome { Next, Stop, Broken };
    Outcome outcome;
    int result = RarOk;
    uint64_t headerSize = 0;
    uint64_t dataSize = 0;

    static Block Next(uint64_t headerSize, uint64_t dataSize) {
        return {Outcome::Next, RarOk, headerSize, dataSize};
    }
    static Block Stop(int result) { return {Outcome::Stop, result}; }
    static Block Broken() { return {Outcome::Broken}; }
};

// Reads one block into the layout; sawMain tells and records whether the main header came.
using ReadBlock = Block (*)(InputFile& file, uint64_t pos, bool& sawMain, VolumeLayout& layout);

// Reads blocks from pos on until one stops the scan. A block cut off by the end of the file, or one
// that cannot be trusted after the main header, marks the volume damaged: what came before may still
// be read. Without a main header there is no archive.
int WalkBlocks(InputFile& file, VolumeLayout& layout, uint64_t pos, ReadBlock read);

Block ReadBlock4(InputFile& file, uint64_t pos, bool& sawMain, VolumeLayout& layout);
Block ReadBlock5(InputFile& file, uint64_t pos, bool& sawMain, VolumeLayout& layout);

} // namespace unrar::scan
