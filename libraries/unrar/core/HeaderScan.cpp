#include "HeaderScan.h"

#include "Crc32.h"
#include "Text.h"
#include "unrar.h"

namespace unrar {

namespace {

constexpr char kSignature[] = "Rar!\x1a\x07";
constexpr size_t kSignatureSize = 6;
// Self-extractors keep the archive after their program; libarchive looks no further either.
constexpr size_t kStubLimit = 1 << 20;
// RAR 5 headers are at most 2 MiB long; libarchive refuses larger ones.
constexpr uint64_t kRar5HeaderLimit = 2 << 20;

bool ReadAt(InputFile& file, uint64_t offset, size_t size, std::string& out) {
    out.resize(size);
    if (!file.Seek(offset))
        return false;
    size_t done = 0;
    while (done < size) {
        int64_t n = file.Read(out.data() + done, size - done);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    out.resize(done);
    return true;
}

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

uint32_t Le16(const std::string& b, size_t at) {
    return uint32_t(static_cast<uint8_t>(b[at])) | uint32_t(static_cast<uint8_t>(b[at + 1])) << 8;
}
uint32_t Le32(const std::string& b, size_t at) {
    return Le16(b, at) | Le16(b, at + 2) << 16;
}

constexpr uint32_t kAttrDirectory = 0x10;

bool IsUnixModeDirectory(uint32_t mode) {
    return (mode & 0xF000) == 0x4000;
}

// ---- RAR 4 -------------------------------------------------------------------------------------------

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
    kFileDirectory = 0x00E0,
    kEndMoreVolumes = 0x0001,
    kEndDataCrc = 0x0002,
    kEndVolumeNumber = 0x0008,
};
enum : uint32_t { kHostMsDos = 0, kHostOs2 = 1, kHostWin32 = 2, kHostUnix = 3, kHostMac = 4, kHostBeOs = 5 };

struct Rar4File {
    uint64_t packSize, unpSize;
    uint32_t host, crc, time, unpVer, method, attributes;
    std::string name;
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
    return true;
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
    r.flags = flags & (RarContinuedBefore | RarContinuedAfter | RarEncrypted | RarSolid);
    if (r.directory)
        r.flags |= RarDirectory;
    return r;
}

void ParseInlineComment(const std::string& h, uint32_t flags, uint64_t offset, CommentBlock& comment) {
    size_t at = 13 + ((flags & kMainEncryptVersion) ? 1 : 0);
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

int ScanRar4(InputFile& file, VolumeLayout& layout) {
    const uint64_t fileSize = file.Size();
    uint64_t pos = layout.archiveStart + 7;
    bool sawMain = false;
    std::string h;
    for (;;) {
        if (!ReadAt(file, pos, 7, h))
            return RarReadError;
        if (h.empty()) // archives may end without an end header, but not inside a header
            return sawMain ? RarOk : RarBadArchive;
        if (h.size() < 7)
            break;
        uint8_t type = static_cast<uint8_t>(h[2]);
        uint32_t flags = Le16(h, 3);
        uint32_t headSize = Le16(h, 5);
        if (headSize < 7)
            break;
        if (!ReadAt(file, pos, headSize, h))
            return RarReadError;
        if (h.size() < headSize || (Crc32(h.data() + 2, headSize - 2) & 0xFFFF) != Le16(h, 0))
            break;
        if (!sawMain && type != kMain4) {
            // libarchive reads members that follow the signature without a main header.
            sawMain = true;
            layout.opening.assign(kSignature, kSignatureSize).append(1, '\0');
            layout.headersEnd = pos;
        }

        uint64_t dataSize = 0;
        if (type == kMain4) {
            if (sawMain || headSize < 13)
                break;
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
                return RarOk;
            }
        } else if (type == kFile4 || type == kSub4) {
            Rar4File f;
            if (!ParseFile4(h, flags, f))
                break;
            dataSize = f.packSize;
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
            return RarOk;
        } else if (type >= kOldFirst4 && type <= kOldLast4) {
            if (flags & kLongBlock) {
                if (headSize < 11)
                    break;
                dataSize = Le32(h, 7);
            }
        } else {
            break; // libarchive refuses unknown blocks as well
        }
        if (dataSize > fileSize || pos + headSize + dataSize > fileSize) {
            layout.damaged = true; // truncated: what there is may still be read
            return RarOk;
        }
        pos += headSize + dataSize;
    }
    if (!sawMain)
        return RarBadArchive;
    layout.damaged = true;
    return RarOk;
}

// ---- RAR 5 -------------------------------------------------------------------------------------------

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

int ScanRar5(InputFile& file, VolumeLayout& layout) {
    const uint64_t fileSize = file.Size();
    uint64_t pos = layout.archiveStart + 8;
    bool sawMain = false;
    std::string h;
    for (;;) {
        if (!ReadAt(file, pos, 4 + 3, h))
            return RarReadError;
        if (h.size() < 5)
            break; // cut off: RAR 5 always ends with its end header
        Cursor sizeField(h, 4, h.size());
        uint64_t headerSize;
        if (!sizeField.Vint(headerSize) || headerSize == 0 || headerSize > kRar5HeaderLimit)
            break;
        size_t bodyStart = sizeField.Offset();
        size_t total = bodyStart + static_cast<size_t>(headerSize);
        if (!ReadAt(file, pos, total, h))
            return RarReadError;
        if (h.size() < total || Crc32(h.data() + 4, total - 4) != Le32(h, 0))
            break;

        Cursor c(h, bodyStart, total);
        uint64_t type, flags, extraSize = 0, dataSize = 0;
        if (!c.Vint(type) || !c.Vint(flags))
            break;
        if ((flags & kHasExtra) && !c.Vint(extraSize))
            break;
        if ((flags & kHasData) && !c.Vint(dataSize))
            break;
        if (extraSize > c.Left())
            break;
        size_t extraStart = total - static_cast<size_t>(extraSize);
        if (!sawMain && type != kMain5)
            return RarBadArchive;

        if (type == kMain5) {
            uint64_t archiveFlags;
            if (sawMain || !c.Vint(archiveFlags))
                break;
            sawMain = true;
            layout.isVolume = archiveFlags & 0x01;
            uint64_t number = 0;
            if ((archiveFlags & 0x02) && !c.Vint(number))
                break;
            layout.volumeNumber = number;
            layout.firstVolume = layout.isVolume && number == 0;
            layout.opening.assign(kSignature, kSignatureSize).append("\x01\x00", 2).append(h, 0, total);
            layout.headersEnd = pos + total;
        } else if (type == kFile5 || type == kService5) {
            Rar5File f;
            if (!ParseFile5(h, c, extraStart, f))
                break;
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
            return RarOk;
        } else if (type == kEnd5) {
            uint64_t endFlags = 0;
            c.Vint(endFlags);
            layout.endFound = true;
            layout.moreVolumes = endFlags & 0x01;
            return RarOk;
        } else if (!(flags & kSkipIfUnknown)) {
            break;
        }
        if (dataSize > fileSize || pos + total + dataSize > fileSize) {
            layout.damaged = true;
            return RarOk;
        }
        pos += total + dataSize;
    }
    if (!sawMain)
        return RarBadArchive;
    layout.damaged = true;
    return RarOk;
}

// Where the signature is, with the version byte after it: at the start, or after a program stub.
int FindSignature(InputFile& file, uint64_t& at, uint8_t& version) {
    std::string head;
    if (!ReadAt(file, 0, 8, head))
        return RarReadError;
    size_t found = std::string::npos;
    if (head.compare(0, kSignatureSize, kSignature, kSignatureSize) == 0) {
        found = 0;
    } else if (head.compare(0, 2, "MZ") == 0 || head.compare(0, 4,
                                                             "\x7f"
                                                             "ELF") == 0) {
        if (!ReadAt(file, 0, kStubLimit, head))
            return RarReadError;
        found = head.find(std::string(kSignature, kSignatureSize));
    }
    if (found == std::string::npos) {
        // RAR 1.4 archives are RAR, but of a version nothing here reads.
        return head.compare(0, 4, "RE~^") == 0 ? RarUnknownFormat : RarBadArchive;
    }
    if (found + kSignatureSize + 2 > head.size())
        return RarBadArchive;
    at = found;
    version = static_cast<uint8_t>(head[found + kSignatureSize]);
    if (version == 1 && head[found + kSignatureSize + 1] != 0)
        version = 0xFF;
    return RarOk;
}

} // namespace

bool VolumeLayout::HasNextVolume() const {
    if (endFound)
        return moreVolumes;
    // Without an end header, only a member that goes on says that more follow.
    return isVolume && !members.empty() && members.back().splitAfter;
}

uint32_t AttributesOfMode(uint32_t mode) {
    uint32_t attributes = IsUnixModeDirectory(mode) ? kAttrDirectory : 0x20;
    if (!(mode & 0200))
        attributes |= 0x01;
    return attributes;
}

int ScanVolume(InputFile& file, VolumeLayout& layout) {
    layout = VolumeLayout{};
    uint8_t version = 0;
    int result = FindSignature(file, layout.archiveStart, version);
    if (result != RarOk)
        return result;
    if (version == 0) {
        layout.format = Format::Rar4;
        return ScanRar4(file, layout);
    }
    if (version == 1) {
        layout.format = Format::Rar5;
        return ScanRar5(file, layout);
    }
    return RarUnknownFormat;
}

} // namespace unrar
