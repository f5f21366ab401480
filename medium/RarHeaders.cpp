#include "medium/RarHeaders.h"

#include "core/Crc32.h"
#include "core/Text.h"

#include <algorithm>
#include <bit>
#include <ctime>
#include <vector>

namespace medium {

namespace {

std::string Vint(uint64_t value) {
    std::string out;
    do {
        const uint8_t byte = value & 0x7F;
        value >>= 7;
        out += char(value ? byte | 0x80 : byte);
    } while (value);
    return out;
}

void PutLe(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += char(value >> (8 * i));
}

class Rar5 : public RarBlocks {
public:
    std::string Signature() const override { return std::string("Rar!\x1a\x07\x01\x00", 8); }

    std::string MainHeader(bool volume, size_t index) const override {
        uint64_t flags = 0;
        std::string body;
        if (volume) {
            flags |= 0x01;
            if (index) {
                flags |= 0x02;
                body = Vint(index);
            }
        }
        return Block(1, 0, Vint(flags) + body, "", nullptr);
    }

    std::string EndHeader(bool, bool more, size_t) const override {
        return Block(5, 0, Vint(more ? 1 : 0), "", nullptr);
    }

    std::string FileHeader(const RarMember& m, uint64_t part, bool splitBefore, bool splitAfter,
                           uint32_t crc) const override {
        const int64_t windows = std::max<int64_t>(m.entry.modified + 11644473600, 0);
        std::string record = Vint(3) + Vint(0x02);
        PutLe(record, uint64_t(windows) * 10000000, 8);
        const std::string extra = Vint(record.size()) + record;
        const bool directory = m.entry.directory;
        std::string body = Vint(directory ? 0x01 : 0x04) + Vint(directory ? 0 : m.entry.size) +
                           Vint(directory ? 0x10 : 0x20);
        if (!directory)
            PutLe(body, crc, 4);
        body += Vint(0) + Vint(0) + Vint(m.entry.name.size()) + m.entry.name;
        return Block(2, (splitBefore ? 0x08 : 0) | (splitAfter ? 0x10 : 0), body, extra, &part);
    }

private:
    static std::string Block(uint64_t kind, uint64_t flags, const std::string& body, const std::string& extra,
                             const uint64_t* dataSize) {
        if (!extra.empty())
            flags |= 0x01;
        if (dataSize)
            flags |= 0x02;
        std::string head = Vint(kind) + Vint(flags);
        if (!extra.empty())
            head += Vint(extra.size());
        if (dataSize)
            head += Vint(*dataSize);
        head += body + extra;
        const std::string sized = Vint(head.size()) + head;
        std::string out;
        PutLe(out, unrar::Crc32(sized.data(), sized.size()), 4);
        return out + sized;
    }
};

class Rar4 : public RarBlocks {
public:
    Rar4(VolumeNaming naming, bool solid, uint32_t dictionary)
        : naming(naming), solid(solid), dictionary(dictionary) {}

    std::string Signature() const override { return std::string("Rar!\x1a\x07\x00", 7); }

    std::string MainHeader(bool volume, size_t index) const override {
        unsigned flags = 0;
        if (volume) {
            flags |= 0x0001;
            if (naming == VolumeNaming::Part)
                flags |= 0x0010;
            if (index == 0)
                flags |= 0x0100;
        }
        if (solid)
            flags |= 0x0008;
        return Block(0x73, flags, std::string(6, '\0'));
    }

    std::string EndHeader(bool volume, bool more, size_t index) const override {
        if (!volume)
            return Block(0x7B, 0, "");
        std::string body;
        PutLe(body, index, 2);
        return Block(0x7B, 0x0008 | (more ? 0x0001 : 0), body);
    }

    std::string FileHeader(const RarMember& m, uint64_t part, bool splitBefore, bool splitAfter,
                           uint32_t crc) const override {
        unsigned flags = 0x8000, attributes = 0x20, version = 20, method = 0x30;
        if (m.packed) {
            version = 29;
            method = 0x33;
            // The dictionary size, 64 KB << n, in the bits that hold 7 for a directory.
            flags |= (std::bit_width(dictionary) - 17) << 5;
        }
        if (m.solid)
            flags |= 0x0010;
        if (m.entry.directory) {
            flags |= 0x00E0;
            attributes = 0x10;
        }
        flags |= (splitBefore ? 0x0001 : 0) | (splitAfter ? 0x0002 : 0);
        bool unicode = false;
        const std::string field = NameField(m.entry.name, unicode);
        if (unicode)
            flags |= 0x0200;
        const uint64_t unpacked = m.entry.directory ? 0 : m.entry.size;
        const bool large = part >> 32 || unpacked >> 32;
        if (large)
            flags |= 0x0100;
        if (field.size() > 0xFFFF - 64)
            throw WriteError("the name " + m.entry.name + " is too long for a RAR 4 archive");
        std::string body;
        PutLe(body, part, 4);
        PutLe(body, unpacked, 4);
        PutLe(body, 2, 1); // made on Windows
        PutLe(body, crc, 4);
        PutLe(body, DosTime(m.entry.modified), 4);
        PutLe(body, version, 1);
        PutLe(body, method, 1);
        PutLe(body, field.size(), 2);
        PutLe(body, attributes, 4);
        if (large) {
            PutLe(body, part >> 32, 4);
            PutLe(body, unpacked >> 32, 4);
        }
        return Block(0x74, flags, body + field);
    }

private:
    static std::string Block(unsigned kind, unsigned flags, const std::string& body) {
        std::string head;
        PutLe(head, kind, 1);
        PutLe(head, flags, 2);
        PutLe(head, 7 + body.size(), 2);
        head += body;
        std::string out;
        PutLe(out, unrar::Crc32(head.data(), head.size()) & 0xFFFF, 2);
        return out + head;
    }

    // Local time, as RAR 4 keeps it; clamped to the years the format can hold.
    static uint32_t DosTime(int64_t modified) {
        const std::time_t t = std::time_t(modified);
        std::tm local{};
#ifdef _WIN32
        const bool known = localtime_s(&local, &t) == 0;
#else
        const bool known = localtime_r(&t, &local) != nullptr;
#endif
        if (!known || local.tm_year < 80)
            return 1u << 21 | 1u << 16;
        if (local.tm_year > 80 + 127)
            return 127u << 25 | 12u << 21 | 31u << 16 | 23u << 11 | 59u << 5 | 29u;
        return uint32_t(local.tm_year - 80) << 25 | uint32_t(local.tm_mon + 1) << 21 |
               uint32_t(local.tm_mday) << 16 | uint32_t(local.tm_hour) << 11 | uint32_t(local.tm_min) << 5 |
               uint32_t(local.tm_sec / 2);
    }

    // Windows separators; a name beyond ASCII as a plain form with '_' for every other character, a NUL
    // and RAR 4's encoded UTF-16 form.
    static std::string NameField(const std::string& name, bool& unicode) {
        std::string plain = name;
        std::replace(plain.begin(), plain.end(), '/', '\\');
        unicode = std::any_of(plain.begin(), plain.end(), [](char c) { return uint8_t(c) >= 0x80; });
        if (!unicode)
            return plain;
        bool valid = true;
        const std::wstring wide = unrar::WideOfUtf8(plain, &valid);
        if (!valid)
            throw WriteError("the name " + name + " is not valid UTF-8");
        std::vector<uint16_t> units;
        for (wchar_t c : wide) {
            const uint32_t code = uint32_t(c);
            if (code >= 0x10000) {
                units.push_back(uint16_t(0xD800 + ((code - 0x10000) >> 10)));
                units.push_back(uint16_t(0xDC00 + ((code - 0x10000) & 0x3FF)));
            } else {
                units.push_back(uint16_t(code));
            }
        }
        std::string field;
        for (char c : plain) {
            if (uint8_t(c) < 0x80)
                field += c;
            else if (uint8_t(c) >= 0xC0)
                field += '_';
        }
        field += '\0';
        // The high byte most units share, so each of them takes one byte.
        std::vector<size_t> counts(256);
        for (uint16_t u : units)
            if (u >> 8)
                ++counts[u >> 8];
        const uint8_t high = uint8_t(std::max_element(counts.begin(), counts.end()) - counts.begin());
        field += char(high);
        for (size_t i = 0; i < units.size(); i += 4) {
            uint8_t flags = 0;
            std::string payload;
            for (size_t j = 0; j < 4 && i + j < units.size(); ++j) {
                const uint16_t u = units[i + j];
                unsigned op = 2;
                if (u >> 8 == 0)
                    op = 0;
                else if (u >> 8 == high)
                    op = 1;
                payload += char(u & 0xFF);
                if (op == 2)
                    payload += char(u >> 8);
                flags |= uint8_t(op << (6 - 2 * j));
            }
            field += char(flags);
            field += payload;
        }
        return field;
    }

    VolumeNaming naming;
    bool solid;
    uint32_t dictionary;
};

// The file being written, its position kept here: the headers are patched by seeking back.
} // namespace

std::unique_ptr<RarBlocks> MakeRarBlocks(const ArchiveOptions& options, bool solid) {
    if (options.format == RarFormat::Rar5)
        return std::make_unique<Rar5>();
    return std::make_unique<Rar4>(options.naming, solid, options.dictionary);
}

} // namespace medium
