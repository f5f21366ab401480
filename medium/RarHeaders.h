// The blocks of a RAR 5 or RAR 4 archive: signature, main header, file headers and end of archive.
#pragma once

#include "medium/RarWriter.h"

#include <memory>
#include <string>

namespace medium {

// A member as its file header tells it.
struct RarMember {
    const ArchiveEntry& entry;
    bool packed = false; // compressed: the data is a RAR 2.9 stream
    bool solid = false;  // goes on from the solid stream of the members before it
};

class RarBlocks {
public:
    virtual ~RarBlocks() = default;
    virtual std::string Signature() const = 0;
    virtual std::string MainHeader(bool volume, size_t index) const = 0;
    virtual std::string EndHeader(bool volume, bool more, size_t index) const = 0;
    // `part`: the member's bytes in this volume. A part the member goes on from keeps the CRC of its own
    // bytes; the last part keeps the CRC of the whole member, unpacked.
    virtual std::string FileHeader(const RarMember& m, uint64_t part, bool splitBefore, bool splitAfter,
                                   uint32_t crc) const = 0;
};

// The blocks of the archive `options` ask for; `solid` and `dictionary` for a compressed RAR 4 one.
std::unique_ptr<RarBlocks> MakeRarBlocks(const ArchiveOptions& options, bool solid);

} // namespace medium
