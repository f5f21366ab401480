// Writes a RAR archive, one file or a volume set, from files on disk: RAR 5 or RAR 4 stored, or RAR 4
// compressed in the RAR 2.9 format, solid or not. What the installer's library reads, it writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace medium {

enum class RarFormat { Rar4, Rar5 };
// name.part1.rar, name.part2.rar, ... or name.rar, name.r00, ... name.r99, name.s00, ...
enum class VolumeNaming { Part, Old };

struct ArchiveOptions {
    RarFormat format = RarFormat::Rar5;
    bool compress = false; // RAR 4 only
    bool solid = false;    // with compress: one stream over all files
    uint32_t dictionary = 4u << 20;
    uint64_t volumeSize = 0; // 0: one file, not a volume set
    VolumeNaming naming = VolumeNaming::Part;
};

struct ArchiveEntry {
    std::filesystem::path source; // the file's data; unused for a directory
    std::string name;             // in the archive, UTF-8, '/' between components
    bool directory = false;
    uint64_t size = 0;
    int64_t modified = 0; // seconds since 1970 UTC
};

// Why writing stopped: the message names the file and the cause, ready for the user.
struct WriteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// The progress callback asked to stop.
struct WriteCancelled : std::runtime_error {
    WriteCancelled() : std::runtime_error("cancelled") {}
};

// Told the bytes of member data written so far, after every block; false stops the writing.
using WriteProgress = std::function<bool(uint64_t done)>;

// Writes the archive named by `first` (DIR/name.rar; the volumes are named from it) and returns its
// volumes in order. The volumes are written under temporary names and take their own only when the
// whole set is written; then, and only then, earlier volumes of the same name in the folder go.
// Whatever stops it (WriteError, WriteCancelled, anything else) leaves no file of it behind.
std::vector<std::filesystem::path> WriteArchive(const std::filesystem::path& first,
                                                const std::vector<ArchiveEntry>& entries,
                                                const ArchiveOptions& options, const WriteProgress& progress);

} // namespace medium
