#include "Volumes.h"

#include "VolumeNames.h"
#include "unrar.h"

#include <algorithm>

namespace unrar {

namespace {

// Large enough that a stored member streams at disk speed.
constexpr size_t kReadBlock = 1 << 20;

} // namespace

Volumes::Volumes(FileSystem& fs, std::string firstPath) : fs(fs), firstPath(std::move(firstPath)) {}

int Volumes::Start() {
    std::unique_ptr<InputFile> file = fs.OpenRead(firstPath);
    if (!file)
        return RarCannotOpen;
    Volume first{firstPath, {}};
    int result = ScanVolume(*file, first.layout);
    if (result == RarOk)
        volumes.push_back(std::move(first));
    return result;
}

// Whether a volume found or given for the next one is that one: of the same kind, not one read
// already, not a first volume, numbered as the next where the volumes keep numbers, and going on
// with the member the last one left split. Anything else is a stale or foreign file under the name,
// and is asked for again.
bool Volumes::Fits(const Volume& candidate) const {
    const VolumeLayout& first = volumes[0].layout;
    const VolumeLayout& last = volumes.back().layout;
    for (const Volume& known : volumes) {
        if (known.path == candidate.path)
            return false;
    }
    const VolumeLayout& layout = candidate.layout;
    if (layout.format != first.format || !layout.isVolume || layout.firstVolume)
        return false;
    if (layout.volumeNumber && first.volumeNumber &&
        *layout.volumeNumber != *first.volumeNumber + volumes.size())
        return false;
    bool split = !last.members.empty() && last.members.back().splitAfter;
    bool continues = !layout.members.empty() && layout.members.front().splitBefore;
    if (split != continues)
        return false;
    if (!split)
        return true;
    const MemberRecord& before = last.members.back();
    const MemberRecord& after = layout.members.front();
    return after.storedName == before.storedName && after.unpSize == before.unpSize;
}

bool Volumes::HasNext(size_t index) const {
    return index < volumes.size() && volumes[index].layout.HasNextVolume();
}

// Every RAR 5 archive ends with an end header; so does every RAR 4 volume made by RAR 3.0 or later,
// which the first volume shows by its own end header or its first-volume mark. Older RAR 4 archives
// may end without one.
bool Volumes::CutShort(size_t index) const {
    const VolumeLayout& layout = volumes[index].layout;
    const VolumeLayout& first = volumes[0].layout;
    if (layout.damaged)
        return true;
    return !layout.endFound && layout.isVolume && (first.endFound || first.firstVolume);
}

int Volumes::FindNext() {
    if (failure != RarOk)
        return failure;
    const Volume& last = volumes.back();
    bool partNumbers = last.layout.format == Format::Rar5 || last.layout.newNaming;
    const std::wstring next = NextVolumeName(fs.Widen(last.path), partNumbers);
    const std::string wanted = fs.Narrow(next);
    // A volume the caller pointed to elsewhere may be the only one there: the next is also looked
    // for beside the first.
    const std::string besideFirst =
        next.empty() ? std::string() : fs.Narrow(InFolderOf(fs.Widen(volumes[0].path), next));
    std::string path = wanted;
    for (;;) {
        for (const std::string& candidate : {path, besideFirst}) {
            std::unique_ptr<InputFile> file = candidate.empty() ? nullptr : fs.OpenRead(candidate);
            Volume found{candidate, {}};
            if (file && ScanVolume(*file, found.layout) == RarOk && Fits(found)) {
                volumes.push_back(std::move(found));
                std::string opened = candidate;
                if (callback && callback(opened, RarVolumeOpened) <= 0)
                    failure = RarCannotOpen;
                return failure;
            }
        }
        path = wanted;
        if (!callback || callback(path, RarVolumeAsk) <= 0) {
            failure = RarCannotOpen;
            return failure;
        }
    }
}

std::unique_ptr<InputFile> Volumes::Open(size_t index, int& result) {
    std::unique_ptr<InputFile> file = fs.OpenRead(volumes[index].path);
    result = file ? RarOk : RarCannotOpen;
    return file;
}

VolumeStream::VolumeStream(Volumes& volumes, size_t volume, uint64_t offset, std::string opening)
    : volumes(volumes), volume(volume), offset(offset), opening(std::move(opening)) {}

// Exceptions must not cross libarchive's C frames.
la_ssize_t VolumeStream::Read(archive*, void* self, const void** buffer) {
    auto stream = static_cast<VolumeStream*>(self);
    try {
        return stream->ReadSome(buffer);
    } catch (...) {
        stream->failure = RarNoMemory;
        return ARCHIVE_FATAL;
    }
}

la_int64_t VolumeStream::Skip(archive*, void* self, la_int64_t request) {
    auto stream = static_cast<VolumeStream*>(self);
    try {
        return stream->SkipSome(request);
    } catch (...) {
        stream->failure = RarNoMemory;
        return 0;
    }
}

bool VolumeStream::Ensure() {
    if (file)
        return true;
    if (failure != RarOk)
        return false;
    file = volumes.Open(volume, failure);
    if (file && !file->Seek(offset))
        failure = RarReadError;
    if (failure != RarOk) {
        file.reset();
        return false;
    }
    size = file->Size();
    return true;
}

bool VolumeStream::Advance() {
    if (!volumes.HasNext(volume))
        return false;
    if (volume + 1 == volumes.Count()) {
        failure = volumes.FindNext();
        if (failure != RarOk)
            return false;
    }
    file.reset();
    ++volume;
    offset = volumes[volume].layout.archiveStart;
    return Ensure();
}

la_ssize_t VolumeStream::ReadSome(const void** out) {
    if (openingRead < opening.size()) {
        *out = opening.data() + openingRead;
        la_ssize_t n = static_cast<la_ssize_t>(opening.size() - openingRead);
        openingRead = opening.size();
        return n;
    }
    buffer.resize(kReadBlock);
    for (;;) {
        if (!Ensure())
            return ARCHIVE_FATAL;
        int64_t n = file->Read(buffer.data(), buffer.size());
        if (n < 0) {
            failure = RarReadError;
            return ARCHIVE_FATAL;
        }
        if (n > 0) {
            ApplyMends(buffer.data(), offset, static_cast<size_t>(n));
            offset += static_cast<uint64_t>(n);
            *out = buffer.data();
            return static_cast<la_ssize_t>(n);
        }
        if (!Advance()) {
            if (failure != RarOk)
                return ARCHIVE_FATAL;
            return Tail(out);
        }
    }
}

void VolumeStream::ApplyMends(char* data, uint64_t at, size_t size) const {
    for (const HeaderMend& mend : volumes[volume].layout.mends) {
        uint64_t from = std::max(at, mend.offset);
        uint64_t to = std::min(at + size, mend.offset + mend.bytes.size());
        if (from < to)
            std::copy_n(mend.bytes.data() + (from - mend.offset), to - from, data + (from - at));
    }
}

// libarchive 3.6.2's RAR 5 reader looks for the next volume's signature after each end header of a
// volume set, 512 bytes at a time, and fails when fewer than that follow: with a last volume that
// short it loses the member that ends there. Zeros after the end of a set read whole satisfy it and
// are passed over; a set that ends damaged gets none, so that they cannot pass for member data.
la_ssize_t VolumeStream::Tail(const void** out) {
    static const char kZeros[1024] = {};
    const VolumeLayout& last = volumes[volume].layout;
    if (tailRead || last.format != Format::Rar5 || !last.isVolume || !last.endFound || last.damaged)
        return 0;
    tailRead = true;
    *out = kZeros;
    return sizeof kZeros;
}

// Never negative: libarchive's skip loop takes any answer as bytes skipped, and falls back to
// reading, which reports the failure, when nothing was.
la_int64_t VolumeStream::SkipSome(la_int64_t request) {
    la_int64_t skipped = 0;
    if (openingRead < opening.size()) {
        size_t n = static_cast<size_t>(std::min<la_int64_t>(request, opening.size() - openingRead));
        openingRead += n;
        skipped += n;
        request -= n;
    }
    while (request > 0) {
        if (!Ensure())
            break;
        if (offset >= size) {
            if (!Advance())
                break;
            continue;
        }
        uint64_t step = std::min<uint64_t>(size - offset, static_cast<uint64_t>(request));
        if (!file->Seek(offset + step)) {
            failure = RarReadError;
            break;
        }
        offset += step;
        skipped += static_cast<la_int64_t>(step);
        request -= static_cast<la_int64_t>(step);
    }
    return skipped;
}

} // namespace unrar
