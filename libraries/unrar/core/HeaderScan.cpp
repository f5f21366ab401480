#include "HeaderScan.h"

#include "HeaderScanParts.h"

namespace unrar {

namespace scan {

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

int WalkBlocks(InputFile& file, VolumeLayout& layout, uint64_t pos, ReadBlock read) {
    const uint64_t fileSize = file.Size();
    bool sawMain = false;
    for (;;) {
        Block block = read(file, pos, sawMain, layout);
        if (block.outcome == Block::Outcome::Stop)
            return block.result;
        if (block.outcome == Block::Outcome::Broken)
            break;
        if (block.dataSize > fileSize || pos + block.headerSize + block.dataSize > fileSize) {
            layout.damaged = true;
            return RarOk;
        }
        pos += block.headerSize + block.dataSize;
    }
    if (!sawMain)
        return RarBadArchive;
    layout.damaged = true;
    return RarOk;
}

} // namespace scan

using namespace scan;

namespace {

// Self-extractors keep the archive after their program; libarchive looks no further either.
constexpr size_t kStubLimit = 1 << 20;

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
        return WalkBlocks(file, layout, layout.archiveStart + 7, ReadBlock4);
    }
    if (version == 1) {
        layout.format = Format::Rar5;
        return WalkBlocks(file, layout, layout.archiveStart + 8, ReadBlock5);
    }
    return RarUnknownFormat;
}

} // namespace unrar
