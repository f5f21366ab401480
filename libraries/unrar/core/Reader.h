// One libarchive reader over the volumes from a start point on. libarchive stops for good at its first
// fatal error, so the archive starts a new reader after the member that failed.
#pragma once

#include "Volumes.h"

#include <archive.h>
#include <archive_entry.h>

#include <string>

namespace unrar {

class Reader {
public:
    Reader(Volumes& volumes, size_t volume, uint64_t offset, std::string opening);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // libarchive's result for the next header.
    int Next(archive_entry*& entry);
    archive* Handle() { return a; }
    // RarOk, or why the volumes ran out under libarchive.
    int Failure() const { return stream.Failure(); }

private:
    VolumeStream stream;
    archive* a;
    bool opened = false;
    bool usable = false;
};

} // namespace unrar
