#include "medium/RarWriter.h"

#include "medium/Rar29Compressor.h"
#include "medium/RarHeaders.h"
#include "medium/ReadAhead.h"
#include "medium/WriterFiles.h"

#include "core/Crc32.h"

#include <algorithm>
#include <bit>
#include <random>

namespace medium {

namespace {

namespace fs = std::filesystem;

constexpr size_t kBlock = 1 << 20;

// The CRC of A then B from those of A and B: a member split over volumes needs the CRC of each part and
// of the whole, and the data is read through the CRC once. Zero bits are appended to A's CRC by squaring
// the operator that appends one.
uint32_t Gf2Times(const uint32_t* matrix, uint32_t vector) {
    uint32_t sum = 0;
    for (; vector; vector >>= 1, ++matrix)
        if (vector & 1)
            sum ^= *matrix;
    return sum;
}

void Gf2Square(uint32_t* square, const uint32_t* matrix) {
    for (int n = 0; n < 32; ++n)
        square[n] = Gf2Times(matrix, matrix[n]);
}

uint32_t Crc32Combine(uint32_t first, uint32_t second, uint64_t secondSize) {
    if (!secondSize)
        return first;
    uint32_t even[32], odd[32];
    odd[0] = 0xEDB88320u;
    for (int n = 1; n < 32; ++n)
        odd[n] = 1u << (n - 1);
    Gf2Square(even, odd);
    Gf2Square(odd, even);
    for (;;) {
        Gf2Square(even, odd);
        if (secondSize & 1)
            first = Gf2Times(even, first);
        if (!(secondSize >>= 1))
            break;
        Gf2Square(odd, even);
        if (secondSize & 1)
            first = Gf2Times(odd, first);
        if (!(secondSize >>= 1))
            break;
    }
    return first ^ second;
}
// Pieces of a member's data in order, empty at the end; and told the size of each piece written.
using Chunks = std::function<std::span<const uint8_t>()>;
using Written = std::function<void(size_t)>;

bool IsDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return text;
}

// A volume of a set named after `base`, of either naming, as a reader would take it for one.
bool IsVolumeOf(const std::string& name, const std::string& base) {
    if (name.size() <= base.size() || name.compare(0, base.size(), base) != 0)
        return false;
    const std::string rest = Lower(name.substr(base.size()));
    if (rest == ".rar")
        return true;
    if (rest.size() == 4 && rest[1] >= 'r' && rest[1] <= 'z' && IsDigits(rest.substr(2)))
        return true;
    return rest.size() > 9 && rest.compare(0, 5, ".part") == 0 &&
           rest.compare(rest.size() - 4, 4, ".rar") == 0 && IsDigits(rest.substr(5, rest.size() - 9));
}

// The volumes, written under temporary names beside their own and given those when the set is whole.
// Until then, and when anything stops it, nothing of the set is left.
class VolumeSet {
public:
    VolumeSet(const RarBlocks& format, const fs::path& first, const ArchiveOptions& options)
        : format(format), first(first), volumeSize(options.volumeSize), naming(options.naming),
          endSize(format.EndHeader(options.volumeSize != 0, true, 0).size()) {
        directory = first.parent_path().empty() ? fs::path(".") : first.parent_path();
        base = Shown(first.filename());
        const std::string lower = Lower(base);
        if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".rar") == 0) {
            base.resize(base.size() - 4);
            const size_t dot = Lower(base).rfind(".part");
            if (dot != std::string::npos && IsDigits(base.substr(dot + 5)))
                base.resize(dot);
        }
        std::random_device random;
        token = std::to_string(random()) + std::to_string(random());
    }
    VolumeSet(const VolumeSet&) = delete;
    VolumeSet& operator=(const VolumeSet&) = delete;

    ~VolumeSet() {
        out.reset();
        std::error_code ignored;
        for (const fs::path& path : temps)
            fs::remove(path, ignored);
        if (!finished)
            for (const fs::path& path : placed)
                fs::remove(path, ignored);
    }

    void Begin() { Open(); }

    // A member's data of `size` bytes; with `unpackedCrc`, the data is packed and the last part keeps
    // that CRC.
    void Add(const RarMember& m, uint64_t size, const Chunks& chunks, const Written& written,
             const uint32_t* unpackedCrc) {
        const bool splittable = size > 0;
        uint64_t remaining = size;
        uint32_t whole = 0;
        bool firstPart = true;
        std::span<const uint8_t> pending;
        for (;;) {
            size_t headerSize = format.FileHeader(m, remaining, !firstPart, false, 0).size();
            uint64_t part = remaining;
            if (volumeSize) {
                const int64_t room = Room() - int64_t(headerSize);
                if (room < (splittable ? 1 : int64_t(remaining))) {
                    if (fresh)
                        Fail(first, "a volume of " + std::to_string(volumeSize) + " bytes is too small for " +
                                        m.entry.name);
                    Close(true);
                    Open();
                    continue;
                }
                part = std::min(remaining, uint64_t(room));
                if (part < remaining) {
                    // A shorter part may need a shorter size field, which leaves room for more data.
                    headerSize = format.FileHeader(m, part, !firstPart, true, 0).size();
                    const uint64_t fuller = uint64_t(Room() - int64_t(headerSize));
                    if (format.FileHeader(m, fuller, !firstPart, true, 0).size() == headerSize)
                        part = std::min(remaining, fuller);
                }
            }
            const bool splitAfter = part < remaining;
            const uint64_t headerAt = out->Tell();
            fresh = false;
            out->Write(format.FileHeader(m, part, !firstPart, splitAfter, 0));
            uint32_t partCrc = 0;
            for (uint64_t left = part; left;) {
                if (pending.empty())
                    pending = chunks();
                if (pending.empty())
                    Fail(first, "the data of " + m.entry.name + " ended early");
                const size_t n = size_t(std::min<uint64_t>(left, pending.size()));
                partCrc = unrar::Crc32(pending.data(), n, partCrc);
                out->Write(pending.data(), n);
                pending = pending.subspan(n);
                left -= n;
                if (written)
                    written(n);
            }
            whole = Crc32Combine(whole, partCrc, part);
            if (unpackedCrc)
                whole = *unpackedCrc;
            out->Patch(headerAt,
                       format.FileHeader(m, part, !firstPart, splitAfter, splitAfter ? partCrc : whole));
            remaining -= part;
            firstPart = false;
            if (!splitAfter)
                return;
        }
    }

    // The set under its own names, in order; earlier volumes of the same name that are not part of it go.
    std::vector<fs::path> Finish() {
        Close(false);
        for (size_t i = 0; i < temps.size(); ++i) {
            const fs::path path = directory / Utf8Path(VolumeName(i));
            std::error_code error;
            fs::rename(temps[i], path, error);
            if (error)
                Fail(path, "cannot be written: " + error.message());
            placed.push_back(path);
            temps[i].clear();
        }
        std::error_code error;
        for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
            const fs::path& path = it->path();
            if (IsVolumeOf(Shown(path.filename()), base) &&
                std::find(placed.begin(), placed.end(), path) == placed.end()) {
                std::error_code removing;
                fs::remove(path, removing);
                if (removing)
                    Fail(path,
                         "is a volume of an earlier archive and cannot be removed: " + removing.message());
            }
        }
        if (error)
            Fail(directory, "cannot be listed: " + error.message());
        finished = true;
        return placed;
    }

private:
    void Open() {
        const size_t index = temps.size();
        if (volumeSize && naming == VolumeNaming::Old && index > 900)
            Fail(first, "more than 901 volumes cannot be named name.rar, name.r00 ... name.z99");
        if (volumeSize && index > 0xFFFF)
            Fail(first, "more than 65536 volumes");
        temps.push_back(directory / Utf8Path("." + base + ".writing-" + token + "-" + std::to_string(index)));
        std::string shown = Shown(first);
        if (volumeSize)
            shown += " (volume " + std::to_string(index + 1) + ")";
        out = std::make_unique<Output>(temps.back(), shown);
        fresh = true;
        out->Write(format.Signature() + format.MainHeader(volumeSize != 0, index));
        if (volumeSize && out->Tell() + endSize > volumeSize)
            Fail(first, "a volume of " + std::to_string(volumeSize) +
                            " bytes is too small for the archive's headers");
    }

    void Close(bool more) {
        out->Write(format.EndHeader(volumeSize != 0, more, temps.size() - 1));
        out->Close();
        out.reset();
    }

    int64_t Room() const { return int64_t(volumeSize) - int64_t(out->Tell()) - int64_t(endSize); }

    std::string VolumeName(size_t index) const {
        if (!volumeSize)
            return base + ".rar";
        if (naming == VolumeNaming::Part) {
            std::string number = std::to_string(index + 1);
            number.insert(0, std::to_string(temps.size()).size() - number.size(), '0');
            return base + ".part" + number + ".rar";
        }
        if (index == 0)
            return base + ".rar";
        const std::string number = std::to_string(100 + (index - 1) % 100).substr(1);
        return base + "." + char('r' + (index - 1) / 100) + number;
    }

    const RarBlocks& format;
    fs::path first, directory;
    std::string base, token;
    uint64_t volumeSize;
    VolumeNaming naming;
    size_t endSize;
    std::vector<fs::path> temps, placed;
    std::unique_ptr<Output> out;
    bool fresh = true;
    bool finished = false;
};

} // namespace

std::vector<fs::path> WriteArchive(const fs::path& first, const std::vector<ArchiveEntry>& entries,
                                   const ArchiveOptions& options, const WriteProgress& progress) {
    const uint32_t dictionary = options.dictionary;
    if (options.compress && options.format != RarFormat::Rar4)
        Fail(first, "only a RAR 4 archive can be compressed");
    if (options.compress &&
        (!std::has_single_bit(dictionary) || dictionary < (64u << 10) || dictionary > (4u << 20)))
        Fail(first, "the dictionary must be a power of two from 64 KB to 4 MB");
    const bool solid = options.compress && options.solid;
    const std::unique_ptr<RarBlocks> format = MakeRarBlocks(options, solid);
    std::unique_ptr<Rar29Compressor> compressor;
    if (options.compress)
        compressor = std::make_unique<Rar29Compressor>(solid, dictionary);

    VolumeSet set(*format, first, options);
    uint64_t done = 0;
    auto report = [&](uint64_t at) {
        if (progress && !progress(at))
            throw WriteCancelled();
    };
    std::optional<ReadAhead> ahead;
    if (!options.compress)
        ahead.emplace();
    set.Begin();
    for (size_t i = 0; i < entries.size(); ++i) {
        const ArchiveEntry& entry = entries[i];
        const RarMember member{entry, options.compress && !entry.directory, solid && i > 0};
        if (entry.directory) {
            set.Add(member, 0, nullptr, nullptr, nullptr);
            continue;
        }
        if (!options.compress) {
            ahead->Open(entry.source, entry.size);
            set.Add(
                member, entry.size, [&] { return ahead->Next(); }, [&](size_t n) { report(done += n); },
                nullptr);
            ahead->Next(); // the end, where a file that grew is found
            continue;
        }
        Source source(entry.source, entry.size);
        // A member is compressed whole in memory; a size the address space cannot hold must not wrap.
        std::vector<uint8_t> data;
        try {
            if (entry.size > data.max_size())
                throw std::bad_alloc();
            data.resize(size_t(entry.size));
        } catch (const std::bad_alloc&) {
            Fail(entry.source, "is too large to be compressed in memory");
        }
        for (size_t at = 0; at < data.size();)
            at += source.Next(data.data() + at, std::min(kBlock, data.size() - at)).size();
        source.End();
        const uint32_t crc = unrar::Crc32(data.data(), data.size());
        const std::vector<uint8_t> packed =
            compressor->Pack(data.data(), data.size(), [&](uint64_t parsed) { report(done + parsed); });
        done += entry.size;
        data = {};
        bool given = false;
        set.Add(
            member, packed.size(),
            [&] {
                const bool again = given;
                given = true;
                return again ? std::span<const uint8_t>() : std::span<const uint8_t>(packed);
            },
            nullptr, &crc);
        report(done);
    }
    return set.Finish();
}

} // namespace medium
