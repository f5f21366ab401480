// The volumes of one archive, found one after the other as reading reaches them: the next volume
// is looked for only when the one before says by its end header that more follow, and asked for
// through the caller while it is missing.
#pragma once

#include "FileSystem.h"
#include "HeaderScan.h"

#include <archive.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace unrar {

struct Volume {
    std::string path;
    VolumeLayout layout;
};

class Volumes {
public:
    // What the caller answers to an ask (mode 0, `path` may be changed to where the volume is) or to
    // the news that a volume was opened (mode 1). Anything not positive stops the run.
    using Callback = std::function<int(std::string& path, int mode)>;

    Volumes(FileSystem& fs, std::string firstPath);

    // Opens and reads the headers of the volume opened first: RarOk, or the open failure.
    int Start();

    void SetCallback(Callback callback) { this->callback = std::move(callback); }

    size_t Count() const { return volumes.size(); }
    const Volume& operator[](size_t index) const { return volumes[index]; }
    bool HasNext(size_t index) const;
    // Whether a known volume stops short of its end: damaged, or without the end header its set's
    // writer always adds.
    bool CutShort(size_t index) const;

    // Makes the volume after the last known one known, asking for it while it is missing. RarOk, or
    // RarCannotOpen (missing and not given, or the caller stopped) or RarReadError; any failure ends
    // the run, and is returned again after it.
    int FindNext();
    // A known volume, opened anew.
    std::unique_ptr<InputFile> Open(size_t index, int& result);

private:
    bool Fits(const Volume& candidate) const;

    FileSystem& fs;
    std::string firstPath;
    Callback callback;
    std::vector<Volume> volumes;
    int failure = 0;
};

// The bytes libarchive reads: from a point in one volume on to the end of the set, volume after
// volume, with an opening to show first when the point is not the start of the archive.
class VolumeStream {
public:
    VolumeStream(Volumes& volumes, size_t volume, uint64_t offset, std::string opening);

    // libarchive's read and skip callbacks.
    static la_ssize_t Read(archive*, void* self, const void** buffer);
    static la_int64_t Skip(archive*, void* self, la_int64_t request);

    size_t CurrentVolume() const { return volume; }
    // RarOk, or why the stream stopped early.
    int Failure() const { return failure; }

private:
    bool Ensure();  // opens the current volume if it is not yet
    bool Advance(); // on to the next volume; false at the end of the set or on a failure
    la_ssize_t ReadSome(const void** buffer);
    la_ssize_t Tail(const void** buffer);
    la_int64_t SkipSome(la_int64_t request);
    void ApplyMends(char* data, uint64_t at, size_t size) const;

    Volumes& volumes;
    size_t volume;
    uint64_t offset;
    std::string opening;
    size_t openingRead = 0;
    std::unique_ptr<InputFile> file;
    uint64_t size = 0;
    std::vector<char> buffer;
    int failure = 0;
    bool tailRead = false;
};

} // namespace unrar
