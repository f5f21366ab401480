#include "Reader.h"

#include <new>

namespace unrar {

Reader::Reader(Volumes& volumes, size_t volume, uint64_t offset, std::string opening)
    : stream(volumes, volume, offset, std::move(opening)), a(archive_read_new()) {
    if (!a)
        throw std::bad_alloc();
    // Only the two RAR readers: libarchive's filters would run external programs.
    archive_read_support_format_rar(a);
    archive_read_support_format_rar5(a);
    archive_read_set_callback_data(a, &stream);
    archive_read_set_read_callback(a, &VolumeStream::Read);
    archive_read_set_skip_callback(a, &VolumeStream::Skip);
}

Reader::~Reader() {
    archive_read_free(a);
}

int Reader::Next(archive_entry*& entry) {
    if (!opened) {
        opened = true;
        usable = archive_read_open1(a) == ARCHIVE_OK;
    }
    if (!usable)
        return ARCHIVE_FATAL;
    return archive_read_next_header(a, &entry);
}

} // namespace unrar
