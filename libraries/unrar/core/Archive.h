// An open archive as the interface drives it: one member header after the other, each then skipped,
// tested or extracted. libarchive reads the data; the volumes' own headers give what it does not
// report, tell where the set goes on, and let reading go on after a member libarchive gave up on.
#pragma once

#include "Comment.h"
#include "FileSystem.h"
#include "Reader.h"
#include "Volumes.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace unrar {

struct MemberHeader {
    std::string volumePath; // the volume holding the member's header
    std::wstring name;      // as in the archive, '/' between components
    MemberRecord record;
    uint32_t dosTime = 0;
};

class Archive {
public:
    // False stops the member at once: nothing of it is written, and processing it gives RarAborted.
    using DataCallback = std::function<bool(const uint8_t* data, size_t size)>;

    // Null when it cannot be read; `result` says why.
    static std::unique_ptr<Archive> Open(FileSystem& fs, const std::string& path, int& result);

    CommentState Comment(std::string& text);
    void SetVolumeCallback(Volumes::Callback callback) { volumes.SetCallback(std::move(callback)); }
    void SetDataCallback(DataCallback callback) { data = std::move(callback); }
    void SetPassword(bool given) { password = given; }

    // RarOk, RarEndOfArchive, or an error; RarBadData for a member header that cannot be read, after
    // which the next call goes on with the member after it where there is one. Damage past the last
    // member that can be found, and a set that ends without its end marker where the format always
    // writes one, give RarBadData once and RarEndOfArchive from then on.
    int ReadHeader(MemberHeader& header);
    // `operation` is a RarOperation. Without `destName` the member goes below `destPath` (the current
    // directory when empty) under its archive path, made safe.
    int Process(int operation, const std::string* destPath, const std::string* destName);

private:
    // A member whose header opens it, as opposed to a continuation in a later volume.
    struct Start {
        size_t volume;
        size_t member;
    };

    Archive(FileSystem& fs, const std::string& path);
    const MemberRecord& Record(size_t start) const;
    void Catalogue();
    bool StartReader();
    int End(int result);
    int ReaderFailed();
    int Skip();
    using Sink = std::function<bool(const void*, size_t)>;
    int Pump(const Sink& sink);
    int Extract(const std::string* destPath, const std::string* destName);
    int ExtractFile(const std::wstring& target, const std::function<int(const Sink&)>& fill);
    int CopyWritten(const std::wstring& source, const Sink& sink);
    bool Unsupported(const MemberRecord& record) const;
    bool MakeDirectories(const std::wstring& directory);
    std::wstring EntryName() const;

    FileSystem& fs;
    Volumes volumes;
    DataCallback data;
    bool password = false;

    std::vector<Start> starts;
    size_t catalogued = 0; // volumes whose members are in `starts`
    size_t next = 0;       // the start libarchive is expected to give next
    std::unique_ptr<Reader> reader;
    bool readerStarted = false;
    size_t readerFirst = 0; // the start the current reader began at
    archive_entry* entry = nullptr;
    size_t current = 0;
    bool inMember = false;
    int ended = 0;
    // Files written whole in this run, by the member path that made them (made safe): a later member
    // that is a copy of, or a hard link to, one of them is made as a copy of it.
    std::map<std::wstring, std::wstring> written;
};

} // namespace unrar
