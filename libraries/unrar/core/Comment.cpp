#include "Comment.h"

#include "Crc32.h"
#include "Text.h"

#include <archive.h>

namespace unrar {

namespace {

// Comments are short notes; a larger one is taken for damage rather than allocated.
constexpr uint64_t kCommentLimit = 1 << 20;

void Put16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
void PutVint(std::string& out, uint64_t value) {
    do {
        uint8_t byte = value & 0x7F;
        value >>= 7;
        out += static_cast<char>(byte | (value ? 0x80 : 0));
    } while (value);
}

// A RAR 4 block: the CRC's low 16 bits over everything after them.
void AddBlock4(std::string& out, std::string block) {
    Put16(out, Crc32(block.data(), block.size()) & 0xFFFF);
    out += block;
}

std::string Rar4Around(const CommentBlock& c, const std::string& packed) {
    std::string a("Rar!\x1a\x07\x00", 7);
    std::string main;
    main += '\x73';
    Put16(main, 0);
    Put16(main, 13);
    main.append(6, '\0');
    AddBlock4(a, main);
    std::string file;
    file += '\x74';
    Put16(file, 0x8000);
    Put16(file, 32 + 3);
    Put32(file, static_cast<uint32_t>(c.packSize));
    Put32(file, static_cast<uint32_t>(c.unpSize));
    file += '\x02';
    Put32(file, c.crc.value_or(0));
    Put32(file, 0);
    file += static_cast<char>(c.unpVer);
    file += static_cast<char>(c.method);
    Put16(file, 3);
    Put32(file, 0x20);
    file += "CMT";
    AddBlock4(a, file);
    a += packed;
    std::string end;
    end += '\x7b';
    Put16(end, 0x4000);
    Put16(end, 7);
    AddBlock4(a, end);
    return a;
}

// A RAR 5 block: CRC-32, size, then the header.
void AddBlock5(std::string& out, const std::string& header) {
    std::string sized;
    PutVint(sized, header.size());
    sized += header;
    Put32(out, Crc32(sized.data(), sized.size()));
    out += sized;
}

std::string Rar5Around(const CommentBlock& c, const std::string& packed) {
    std::string a("Rar!\x1a\x07\x01\x00", 8);
    std::string main;
    PutVint(main, 1); // main header
    PutVint(main, 0);
    PutVint(main, 0);
    AddBlock5(a, main);
    std::string file;
    PutVint(file, 2); // file header
    PutVint(file, 0x02);
    PutVint(file, packed.size());
    PutVint(file, c.crc ? 0x04 : 0);
    PutVint(file, c.unpSize);
    PutVint(file, 0x20);
    if (c.crc)
        Put32(file, *c.crc);
    PutVint(file, c.compressionInfo & ~uint64_t(0x40)); // alone, it cannot be solid
    PutVint(file, 0);
    PutVint(file, 3);
    file += "CMT";
    AddBlock5(a, file);
    a += packed;
    std::string end;
    PutVint(end, 5);
    PutVint(end, 0);
    PutVint(end, 0);
    AddBlock5(a, end);
    return a;
}

// Whatever libarchive unpacks of the archive's one member; the caller checks it.
std::string Unpack(const std::string& archiveBytes) {
    std::string out;
    archive* a = archive_read_new();
    if (!a)
        return out;
    archive_read_support_format_rar(a);
    archive_read_support_format_rar5(a);
    archive_entry* entry;
    if (archive_read_open_memory(a, archiveBytes.data(), archiveBytes.size()) == ARCHIVE_OK &&
        archive_read_next_header(a, &entry) == ARCHIVE_OK) {
        char block[4096];
        la_ssize_t n;
        while ((n = archive_read_data(a, block, sizeof block)) > 0 && out.size() < kCommentLimit)
            out.append(block, static_cast<size_t>(n));
    }
    archive_read_free(a);
    return out;
}

bool ReadExactly(InputFile& file, uint64_t offset, std::string& out) {
    if (!file.Seek(offset))
        return false;
    size_t done = 0;
    while (done < out.size()) {
        int64_t n = file.Read(out.data() + done, out.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

CommentState ReadComment(FileSystem& fs, InputFile& volume, const VolumeLayout& layout, std::string& text) {
    const CommentBlock& c = layout.comment;
    text.clear();
    if (c.kind == CommentBlock::Kind::None)
        return CommentState::None;
    if (c.encrypted || c.packSize > kCommentLimit || c.unpSize > kCommentLimit)
        return CommentState::Damaged;

    std::string packed(static_cast<size_t>(c.packSize), '\0');
    if (!ReadExactly(volume, c.dataOffset, packed))
        return CommentState::Damaged;
    bool stored =
        c.kind == CommentBlock::Kind::Rar5Service ? ((c.compressionInfo >> 7) & 7) == 0 : c.method == 0x30;
    if (stored)
        text = std::move(packed);
    else if (c.kind == CommentBlock::Kind::Rar5Service)
        text = Unpack(Rar5Around(c, packed));
    else
        text = Unpack(Rar4Around(c, packed));

    if (text.size() != c.unpSize)
        return CommentState::Damaged;
    if (c.crc) {
        uint32_t crc = Crc32(text.data(), text.size());
        if (c.kind == CommentBlock::Kind::Rar4Inline ? (crc & 0xFFFF) != *c.crc : crc != *c.crc)
            return CommentState::Damaged;
    }
    if (c.kind == CommentBlock::Kind::Rar5Service)
        text = fs.Narrow(WideOfUtf8(text));
    // Some archivers store the terminating NUL; the interface adds its own.
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return CommentState::Read;
}

} // namespace unrar
