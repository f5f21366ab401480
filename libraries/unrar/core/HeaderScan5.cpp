// The RAR 5 half of the header scan: blocks with 32-bit CRCs and variable-length integers.
#include "Crc32.h"
#include "HeaderScanParts.h"

#include <optional>

namespace unrar::scan {

namespace {

// RAR 5 headers are at most 2 MiB long; libarchive refuses larger ones.
constexpr uint64_t kRar5HeaderLimit = 2 << 20;

// Little-endian fields and RAR 5's variable-length integers, never past the end of the header.
class Cursor {
public:
    Cursor(const std::string& bytes, size_t offset, size_t end) : data(bytes.data()), at(offset), end(end) {}

    size_t Offset() const { return at; }
    size_t Left() const { return end - at; }

    bool Fixed(size_t size, uint64_t& value) {
        if (Left() < size)
            return false;
        value = 0;
        for (size_t i = 0; i < size; ++i)
            value |= uint64_t(static_cast<uint8_t>(data[at + i])) << (8 * i);
        at += size;
        return true;
    }
    bool U32(uint32_t& value) {
        uint64_t v;
        if (!Fixed(4, v))
            return false;
        value = static_cast<uint32_t>(v);
        return true;
    }
    bool Vint(uint64_t& value) {
        value = 0;
        for (int shift = 0; shift < 70 && at < end; shift += 7) {
            uint8_t byte = static_cast<uint8_t>(data[at++]);
            if (shift == 63 && (byte & 0x7E))
                return false;
            value |= uint64_t(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                return true;
        }
        return false;
    }
    bool Skip(uint64_t size) {
        if (Left() < size)
            return false;
        at += static_cast<size_t>(size);
        return true;
    }

private:
    const char* data;
    size_t at;
    size_t end;
};

enum : uint64_t { kMain5 = 1, kFile5 = 2, kService5 = 3, kCrypt5 = 4, kEnd5 = 5 };
enum : uint64_t {
    kHasExtra = 0x01,
    kHasData = 0x02,
    kSkipIfUnknown = 0x04,
    kSplitBefore = 0x08,
    kSplitAfter = 0x10,
};
enum : uint64_t { kFileIsDirectory = 0x01, kFileHasTime = 0x02, kFileHasCrc = 0x04 };
enum : uint64_t { kExtraCrypt = 0x01, kExtraRedirection = 0x05 };

struct Rar5File {
    uint64_t fileFlags, unpSize, attributes, compressionInfo, host;
    std::optional<uint32_t> crc;
    std::string name;
    bool encrypted = false;
    Redirection redirection = Redirection::None;
    std::string redirectionTarget;
};

// Type, flags, then the target's length and UTF-8 bytes. A type this reader does not know is kept
// as a link of no known kind: the member is then refused, never written as an empty file.
bool ParseRedirection(const std::string& h, Cursor& c, size_t end, Rar5File& f) {
    uint64_t type, flags, size;
    if (!c.Vint(type) || !c.Vint(flags) || !c.Vint(size) || size > end - c.Offset())
        return false;
    f.redirectionTarget = h.substr(c.Offset(), static_cast<size_t>(size));
    f.redirection = type >= 1 && type <= 5 ? static_cast<Redirection>(type) : Redirection::UnixSymlink;
    return true;
}

bool ParseFile5(const std::string& h, Cursor& c, size_t extraStart, Rar5File& f) {
    uint32_t word;
    if (!c.Vint(f.fileFlags) || !c.Vint(f.unpSize) || !c.Vint(f.attributes))
        return false;
    if ((f.fileFlags & kFileHasTime) && !c.U32(word))
        return false;
    if (f.fileFlags & kFileHasCrc) {
        if (!c.U32(word))
            return false;
        f.crc = word;
    }
    uint64_t nameSize;
    if (!c.Vint(f.compressionInfo) || !c.Vint(f.host) || !c.Vint(nameSize))
        return false;
    if (c.Offset() > extraStart || nameSize > extraStart - c.Offset())
        return false;
    f.name = h.substr(c.Offset(), static_cast<size_t>(nameSize));

    Cursor extra(h, extraStart, h.size());
    while (extra.Left() > 0) {
        uint64_t size, type;
        if (!extra.Vint(size) || size == 0 || size > extra.Left())
            return false;
        size_t next = extra.Offset() + static_cast<size_t>(size);
        if (!extra.Vint(type))
            return false;
        if (type == kExtraCrypt)
            f.encrypted = true;
        if (type == kExtraRedirection) {
            Cursor record(h, extra.Offset(), next);
            if (!ParseRedirection(h, record, next, f))
                return false;
        }
        extra = Cursor(h, next, h.size());
    }
    return true;
}

MemberRecord RecordOf5(const Rar5File& f, uint64_t headerFlags, uint64_t packSize, uint64_t offset) {
    MemberRecord r;
    r.storedName = f.name;
    r.headerOffset = offset;
    r.packSize = packSize;
    r.unpSize = f.unpSize;
    // RAR 5 numbers hosts 0 Windows and 1 Unix; the interface keeps RAR 4's numbers.
    r.hostOS = f.host == 0 ? kHostWin32 : f.host == 1 ? kHostUnix : static_cast<uint32_t>(f.host);
    r.crc = f.crc.value_or(0);
    r.hasCrc = f.crc.has_value();
    r.unpVer = 50 + static_cast<uint32_t>(f.compressionInfo & 0x3F);
    r.method = 0x30 + static_cast<uint32_t>((f.compressionInfo >> 7) & 7);
    r.splitBefore = headerFlags & kSplitBefore;
    r.splitAfter = headerFlags & kSplitAfter;
    r.encrypted = f.encrypted;
    r.redirection = f.redirection;
    r.redirectionTarget = f.redirectionTarget;
    uint32_t attributes = static_cast<uint32_t>(f.attributes);
    r.directory = (f.fileFlags & kFileIsDirectory) || (f.host == 0 && (attributes & kAttrDirectory)) ||
                  (f.host == 1 && IsUnixModeDirectory(attributes));
    r.attributes = f.host == 1 ? AttributesOfMode(attributes) : attributes;
    r.flags = 0;
    if (r.splitBefore)
        r.flags |= RarContinuedBefore;
    if (r.splitAfter)
        r.flags |= RarContinuedAfter;
    if (r.encrypted)
        r.flags |= RarEncrypted;
    if (f.compressionInfo & 0x40)
        r.flags |= RarSolid;
    if (r.directory)
        r.flags |= RarDirectory;
    return r;
}

} // namespace

Block ReadBlock5(InputFile& file, uint64_t pos, bool& sawMain, VolumeLayout& layout) {
    std::string h;
    if (!ReadAt(file, pos, 4 + 3, h))
        return Block::Stop(RarReadError);
    if (h.size() < 5)
        return Block::Broken(); // cut off: RAR 5 always ends with its end header
    Cursor sizeField(h, 4, h.size());
    uint64_t headerSize;
    if (!sizeField.Vint(headerSize) || headerSize == 0 || headerSize > kRar5HeaderLimit)
        return Block::Broken();
    size_t bodyStart = sizeField.Offset();
    size_t total = bodyStart + static_cast<size_t>(headerSize);
    if (!ReadAt(file, pos, total, h))
        return Block::Stop(RarReadError);
    if (h.size() < total || Crc32(h.data() + 4, total - 4) != Le32(h, 0))
        return Block::Broken();

    Cursor c(h, bodyStart, total);
    uint64_t type, flags, extraSize = 0, dataSize = 0;
    if (!c.Vint(type) || !c.Vint(flags))
        return Block::Broken();
    if ((flags & kHasExtra) && !c.Vint(extraSize))
        return Block::Broken();
    if ((flags & kHasData) && !c.Vint(dataSize))
        return Block::Broken();
    if (extraSize > c.Left())
        return Block::Broken();
    size_t extraStart = total - static_cast<size_t>(extraSize);
    // An archive whose headers are encrypted starts with the encryption header, before its main one.
    if (!sawMain && type != kMain5 && type != kCrypt5)
        return Block::Stop(RarBadArchive);

    if (type == kMain5) {
        uint64_t archiveFlags;
        if (sawMain || !c.Vint(archiveFlags))
            return Block::Broken();
        sawMain = true;
        layout.isVolume = archiveFlags & 0x01;
        uint64_t number = 0;
        if ((archiveFlags & 0x02) && !c.Vint(number))
            return Block::Broken();
        layout.volumeNumber = number;
        layout.firstVolume = layout.isVolume && number == 0;
        layout.opening.assign(kSignature, kSignatureSize).append("\x01\x00", 2).append(h, 0, total);
        layout.headersEnd = pos + total;
    } else if (type == kFile5 || type == kService5) {
        Rar5File f;
        if (!ParseFile5(h, c, extraStart, f))
            return Block::Broken();
        if (type == kFile5) {
            layout.members.push_back(RecordOf5(f, flags, dataSize, pos));
        } else if (f.name == "CMT" && layout.comment.kind == CommentBlock::Kind::None) {
            CommentBlock& cm = layout.comment;
            cm.kind = CommentBlock::Kind::Rar5Service;
            cm.dataOffset = pos + total;
            cm.packSize = dataSize;
            cm.unpSize = f.unpSize;
            cm.compressionInfo = f.compressionInfo;
            cm.unpVer = 50 + static_cast<uint32_t>(f.compressionInfo & 0x3F);
            cm.crc = f.crc;
            cm.encrypted = f.encrypted;
        }
    } else if (type == kCrypt5) {
        layout.headersEncrypted = true;
        return Block::Stop(RarOk);
    } else if (type == kEnd5) {
        uint64_t endFlags = 0;
        c.Vint(endFlags);
        layout.endFound = true;
        layout.moreVolumes = endFlags & 0x01;
        return Block::Stop(RarOk);
    } else if (!(flags & kSkipIfUnknown)) {
        return Block::Broken();
    }
    return Block::Next(total, dataSize);
}

} // namespace unrar::scan
