// The block headers of one volume, read without touching member data. libarchive keeps these to
// itself; the interface reports them, and the volume walk and comments depend on them.
#pragma once

#include "FileSystem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace unrar {

enum class Format { Rar4, Rar5 };

// What a RAR 5 redirection record makes of a member instead of a file of its own data.
enum class Redirection { None, UnixSymlink, WindowsSymlink, Junction, HardLink, FileCopy };

// A file header in the interface's terms.
struct MemberRecord {
    std::string storedName;    // the name field's bytes, as the header holds them
    uint64_t headerOffset = 0; // in the volume file
    uint32_t flags = 0;        // RarHeaderFlag bits only
    uint64_t packSize = 0;     // of this volume's part
    uint64_t unpSize = 0;
    uint32_t hostOS = 0;
    uint32_t crc = 0;
    bool hasCrc = false;
    std::optional<uint32_t> dosTime; // RAR 4 stores one; RAR 5 has UTC times libarchive decodes
    uint32_t unpVer = 0;
    uint32_t method = 0;
    uint32_t attributes = 0; // Windows attributes, mapped from a Unix mode where needed
    // A RAR 4 name without RAR's own Unicode form, written on Unix in UTF-8, which libarchive reads in
    // the system code page on Windows.
    std::optional<std::string> utf8Name;
    // A RAR 4 name's own Unicode form, decoded here for when libarchive cannot convert it: names on
    // NTFS may hold a surrogate without its pair.
    std::optional<std::wstring> unicodeName;
    bool splitBefore = false;
    bool splitAfter = false;
    bool encrypted = false;
    bool directory = false;
    Redirection redirection = Redirection::None;
    std::string redirectionTarget; // UTF-8, as the record holds it
};

// Where the archive comment lies and how it is packed.
struct CommentBlock {
    enum class Kind { None, Rar4Inline, Rar4Sub, Rar5Service };
    Kind kind = Kind::None;
    uint64_t dataOffset = 0;
    uint64_t packSize = 0;
    uint64_t unpSize = 0;
    uint32_t unpVer = 0;
    uint32_t method = 0;          // RAR 4's method byte
    uint64_t compressionInfo = 0; // RAR 5's
    std::optional<uint32_t> crc;  // the inline kind keeps only the low 16 bits
    bool encrypted = false;
};

// Header bytes libarchive is shown in place of those stored at an offset of the volume, of the same
// length: headers whose meaning is plain but which libarchive would refuse as they were written.
struct HeaderMend {
    uint64_t offset = 0;
    std::string bytes;
};

struct VolumeLayout {
    Format format = Format::Rar4;
    uint64_t archiveStart = 0; // the signature, after a self-extractor's stub
    uint64_t headersEnd = 0;   // after the main header
    // The signature and main header as stored: a reader restarted within the volume is shown these
    // first, as libarchive reads an archive only from its beginning.
    std::string opening;
    bool isVolume = false;
    bool firstVolume = false; // RAR 4 from 3.0 on marks it in the main header
    // From 0 for the first volume: RAR 5 keeps it in the main header, RAR 4 (from 3.0 on) in the end
    // header.
    std::optional<uint64_t> volumeNumber;
    bool newNaming = false; // RAR 4 says so in its main header; RAR 5 only in the names
    bool headersEncrypted = false;
    std::vector<MemberRecord> members;
    CommentBlock comment;
    bool endFound = false;
    bool moreVolumes = false; // the end header's flag
    // The walk stopped at a header it could not trust or that was cut off, or a RAR 5 volume ended
    // without its end header (a RAR 4 one may, at a header's end: older tools wrote none).
    bool damaged = false;
    std::vector<HeaderMend> mends;

    // Whether the set goes on after this volume, by the archive's own markers.
    bool HasNextVolume() const;
};

// RarOk, or RarBadArchive (no archive, or its main header is damaged), RarUnknownFormat (a RAR
// signature of another version) or RarReadError.
int ScanVolume(InputFile& file, VolumeLayout& layout);

// Windows attributes for a Unix mode.
uint32_t AttributesOfMode(uint32_t mode);

} // namespace unrar
