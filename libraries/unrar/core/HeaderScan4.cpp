// The RAR 4 half of the header scan: blocks with 16-bit CRCs and fixed-size fields.
#include "Crc32.h"
#include "HeaderScanParts.h"
#include "Text.h"

#include <algorithm>

namespace unrar::scan {

namespace {

enum : uint8_t {
    kMain4 = 0x73,
    kFile4 = 0x74,
    kSub4 = 0x7A,
    kEnd4 = 0x7B,
    kOldFirst4 = 0x75,
    kOldLast4 = 0x79
};
enum : uint32_t {
    kMainVolume = 0x0001,
    kMainComment = 0x0002,
    kMainNewNaming = 0x0010,
    kMainEncrypted = 0x0080,
    kMainFirstVolume = 0x0100,
    kMainEncryptVersion = 0x0200,
    kLongBlock = 0x8000,
    kFileLarge = 0x0100,
    kFileUnicode = 0x0200,
    kFileSalt = 0x0400,
    kFileExtTime = 0x1000,
    kFileDirectory = 0x00E0,
    kEndMoreVolumes = 0x0001,
    kEndDataCrc = 0x0002,
    kEndVolumeNumber = 0x0008,
};

// The main header's own fields, before the comment that RAR 1.5 to 2.x keep inside it.
constexpr size_t kMainFieldsEnd = 13;

struct Rar4File {
    uint64_t packSize, unpSize;
    uint32_t host, crc, time, unpVer, method, attributes;
    std::string name;
    size_t nameEnd;
};

bool ParseFile4(const std::string& h, uint32_t flags, Rar4File& f) {
    size_t size = h.size();
    if (size < 32)
        return false;
    f.packSize = Le32(h, 7);
    f.unpSize = Le32(h, 11);
    f.host = static_cast<uint8_t>(h[15]);
    f.crc = Le32(h, 16);
    f.time = Le32(h, 20);
    f.unpVer = static_cast<uint8_t>(h[24]);
    f.method = static_cast<uint8_t>(h[25]);
    uint32_t nameSize = Le16(h, 26);
    f.attributes = Le32(h, 28);
    size_t at = 32;
    if (flags & kFileLarge) {
        if (size < 40)
            return false;
        f.packSize |= uint64_t(Le32(h, 32)) << 32;
        f.unpSize |= uint64_t(Le32(h, 36)) << 32;
        at = 40;
    }
    if (at + nameSize > size)
        return false;
    f.name = h.substr(at, nameSize);
    f.nameEnd = at + nameSize;
    return true;
}

// Whether the extended times the flags announce are all in the header: their flags, then for each
// of the four times that has one a DOS time (the modification time has the header's own) and up to
// three bytes of finer resolution.
bool HoldsExtTimes(const std::string& h, size_t at) {
    if (at + 2 > h.size())
        return false;
    uint32_t timeFlags = Le16(h, at);
    at += 2;
    for (int i = 3; i >= 0; --i) {
        uint32_t mode = timeFlags >> (i * 4);
        if (!(mode & 8))
            continue;
        at += (i == 3 ? 0 : 4) + (mode & 3);
        if (at > h.size())
            return false;
    }
    return true;
}

// A header's CRC as RAR 4 takes it: over its bytes after the CRC field.
uint32_t HeaderCrc(const std::string& h) {
    return Crc32(h.data() + 2, h.size() - 2);
}

// What libarchive reads in place of the header, with `crc` in its CRC field.
void Mend(VolumeLayout& layout, uint64_t pos, std::string& h, uint32_t crc) {
    h[0] = static_cast<char>(crc & 0xFF);
    h[1] = static_cast<char>((crc >> 8) & 0xFF);
    layout.mends.push_back({pos, h});
}

// libarchive takes the CRC of the blocks RAR 1.5 to 2.x add beside files (sub-blocks of security
// data, streams and extended attributes, recovery records) over their data as well as their header,
// where RAR takes it over the header alone: it is shown the CRC it computes. Data cut off by the end
// of the volume is left for the walk to find. False on a read error.
bool MendAddedBlock(InputFile& file, VolumeLayout& layout, uint64_t pos, std::string& h, uint64_t dataSize) {
    constexpr size_t kChunk = 1 << 16;
    uint32_t crc = HeaderCrc(h);
    std::string chunk;
    for (uint64_t done = 0; done < dataSize; done += chunk.size()) {
        if (!ReadAt(file, pos + h.size() + done,
                    static_cast<size_t>(std::min<uint64_t>(kChunk, dataSize - done)), chunk))
            return false;
        if (chunk.empty())
            return true;
        crc = Crc32(chunk.data(), chunk.size(), crc);
    }
    Mend(layout, pos, h, crc);
    return true;
}

// RAR 4's own Unicode form of a name, after the name in the system code page and a zero byte: the
// high byte most characters share, then a flag byte before every four characters telling how each
// is kept (a low byte alone, a low byte with the shared high byte, both bytes, or a run of the name
// field's own bytes at the same places, with a correction added and the shared high byte). Read as
// libarchive reads it; '\\' stays as stored.
std::wstring UnicodeName4(const std::string& field) {
    auto byte = [&](size_t i) { return static_cast<uint8_t>(field[i]); };
    std::wstring out;
    size_t at = field.find('\0') + 1;
    if (at == 0 || at >= field.size())
        return out;
    const uint32_t high = uint32_t(byte(at++)) << 8;
    uint32_t flags = 0;
    for (int bits = 0; at < field.size() && out.size() < field.size();) {
        if (bits == 0) {
            flags = byte(at++);
            bits = 8;
        }
        bits -= 2;
        const uint32_t mode = (flags >> bits) & 3;
        if (mode < 2) {
            if (at >= field.size())
                break;
            out += static_cast<wchar_t>((mode ? high : 0) | byte(at++));
        } else if (mode == 2) {
            if (at + 2 > field.size())
                break;
            out += static_cast<wchar_t>(byte(at) | uint32_t(byte(at + 1)) << 8);
            at += 2;
        } else {
            if (at >= field.size())
                break;
            uint32_t length = byte(at++), runHigh = 0;
            uint8_t correction = 0;
            if (length & 0x80) {
                if (at >= field.size())
                    break;
                correction = byte(at++);
                runHigh = high;
            }
            for (length = (length & 0x7F) + 2; length > 0 && out.size() < field.size(); --length)
                out += static_cast<wchar_t>(runHigh | uint8_t(byte(out.size()) + correction));
        }
    }
    return out;
}

MemberRecord RecordOf4(const Rar4File& f, uint32_t flags, uint64_t offset) {
    MemberRecord r;
    r.storedName = f.name;
    r.headerOffset = offset;
    r.packSize = f.packSize;
    r.unpSize = f.unpSize;
    r.hostOS = f.host;
    r.crc = f.crc;
    r.hasCrc = true;
    r.dosTime = f.time;
    r.unpVer = f.unpVer;
    r.method = f.method;
    r.splitBefore = flags & RarContinuedBefore;
    r.splitAfter = flags & RarContinuedAfter;
    r.encrypted = flags & RarEncrypted;
    bool windowsHost = f.host == kHostMsDos || f.host == kHostOs2 || f.host == kHostWin32;
    bool unixHost = f.host == kHostUnix || f.host == kHostMac || f.host == kHostBeOs;
    // The same tests libarchive makes, so that both agree on what is a directory.
    r.directory = (flags & kFileDirectory) == kFileDirectory ||
                  (windowsHost && (f.attributes & kAttrDirectory)) ||
                  (unixHost && IsUnixModeDirectory(f.attributes));
    r.attributes = unixHost ? AttributesOfMode(f.attributes) : f.attributes;
    // The dictionary bits that share 0xE0 with the directory value mean nothing to a caller.
    bool utf8 = false;
    if (!(flags & kFileUnicode) && unixHost)
        WideOfUtf8(f.name, &utf8);
    if (utf8)
        r.utf8Name = f.name;
    if ((flags & kFileUnicode) && f.name.find('\0') != std::string::npos)
        r.unicodeName = UnicodeName4(f.name);
    r.flags = flags & (RarContinuedBefore | RarContinuedAfter | RarEncrypted | RarSolid);
    if (r.directory)
        r.flags |= RarDirectory;
    return r;
}

void ParseInlineComment(const std::string& h, uint32_t flags, uint64_t offset, CommentBlock& comment) {
    size_t at = kMainFieldsEnd + ((flags & kMainEncryptVersion) ? 1 : 0);
    if (h.size() < at + 13)
        return;
    uint32_t size = Le16(h, at + 5);
    if (static_cast<uint8_t>(h[at + 2]) != 0x75 || size < 13 || at + size > h.size())
        return;
    comment.kind = CommentBlock::Kind::Rar4Inline;
    comment.unpSize = Le16(h, at + 7);
    comment.unpVer = static_cast<uint8_t>(h[at + 9]);
    comment.method = static_cast<uint8_t>(h[at + 10]);
    comment.crc = Le16(h, at + 11);
    comment.dataOffset = offset + at + 13;
    comment.packSize = size - 13;
}

} // namespace

Block ReadBlock4(InputFile& file, uint64_t pos, bool& sawMain, VolumeLayout& layout) {
    std::string h;
    if (!ReadAt(file, pos, 7, h))
        return Block::Stop(RarReadError);
    if (h.empty()) // archives may end without an end header, but not inside a header
        return Block::Stop(sawMain ? RarOk : RarBadArchive);
    if (h.size() < 7)
        return Block::Broken();
    uint8_t type = static_cast<uint8_t>(h[2]);
    uint32_t flags = Le16(h, 3);
    uint32_t headSize = Le16(h, 5);
    if (headSize < 7)
        return Block::Broken();
    if (!ReadAt(file, pos, headSize, h))
        return Block::Stop(RarReadError);
    if (h.size() < headSize)
        return Block::Broken();
    const uint32_t storedCrc = Le16(h, 0);
    if ((HeaderCrc(h) & 0xFFFF) != storedCrc) {
        // RAR 1.5 to 2.x take a main header's CRC over its own fields alone, not over its comment.
        bool oldMain = type == kMain4 && (flags & kMainComment) && headSize > kMainFieldsEnd &&
                       (Crc32(h.data() + 2, kMainFieldsEnd - 2) & 0xFFFF) == storedCrc;
        if (!oldMain)
            return Block::Broken();
        Mend(layout, pos, h, HeaderCrc(h));
    }
    if (!sawMain && type != kMain4) {
        // libarchive reads members that follow the signature without a main header.
        sawMain = true;
        layout.opening.assign(kSignature, kSignatureSize).append(1, '\0');
        layout.headersEnd = pos;
    }

    uint64_t dataSize = 0;
    if (type == kMain4) {
        if (sawMain || headSize < kMainFieldsEnd)
            return Block::Broken();
        sawMain = true;
        layout.isVolume = flags & kMainVolume;
        layout.firstVolume = flags & kMainFirstVolume;
        layout.newNaming = flags & kMainNewNaming;
        layout.opening.assign(kSignature, kSignatureSize).append(1, '\0').append(h);
        layout.headersEnd = pos + headSize;
        if (flags & kMainComment)
            ParseInlineComment(h, flags, pos, layout.comment);
        if (flags & kMainEncrypted) {
            layout.headersEncrypted = true;
            return Block::Stop(RarOk);
        }
    } else if (type == kFile4 || type == kSub4) {
        Rar4File f;
        if (!ParseFile4(h, flags, f))
            return Block::Broken();
        dataSize = f.packSize;
        // Some archivers announce extended times they did not write: what the header holds is read.
        size_t timesAt = f.nameEnd + ((flags & kFileSalt) ? 8 : 0);
        if ((flags & kFileExtTime) && timesAt <= h.size() && !HoldsExtTimes(h, timesAt)) {
            flags &= ~uint32_t(kFileExtTime);
            h[3] = static_cast<char>(flags & 0xFF);
            h[4] = static_cast<char>(flags >> 8);
            Mend(layout, pos, h, HeaderCrc(h));
        }
        if (type == kFile4) {
            layout.members.push_back(RecordOf4(f, flags, pos));
        } else if (f.name == "CMT" && layout.comment.kind == CommentBlock::Kind::None) {
            CommentBlock& c = layout.comment;
            c.kind = CommentBlock::Kind::Rar4Sub;
            c.dataOffset = pos + headSize;
            c.packSize = f.packSize;
            c.unpSize = f.unpSize;
            c.unpVer = f.unpVer;
            c.method = f.method;
            c.crc = f.crc;
            c.encrypted = flags & RarEncrypted;
        }
    } else if (type == kEnd4) {
        layout.endFound = true;
        layout.moreVolumes = flags & kEndMoreVolumes;
        size_t numberAt = 7 + ((flags & kEndDataCrc) ? 4 : 0);
        if ((flags & kEndVolumeNumber) && h.size() >= numberAt + 2)
            layout.volumeNumber = Le16(h, numberAt);
        return Block::Stop(RarOk);
    } else if (type >= kOldFirst4 && type <= kOldLast4) {
        if (flags & kLongBlock) {
            if (headSize < 11)
                return Block::Broken();
            dataSize = Le32(h, 7);
            if (dataSize && !MendAddedBlock(file, layout, pos, h, dataSize))
                return Block::Stop(RarReadError);
        }
    } else {
        return Block::Broken(); // libarchive refuses unknown blocks as well
    }
    return Block::Next(headSize, dataSize);
}

} // namespace unrar::scan
