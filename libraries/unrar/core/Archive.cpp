#include "Archive.h"

#include "SafePath.h"
#include "Text.h"
#include "unrar.h"

#include <algorithm>

namespace unrar {

namespace {

// What Windows can name at all; longer targets are refused rather than attempted.
constexpr size_t kLongestPath = 32000;
constexpr uint32_t kFileAttributesKept = 0x01 | 0x02 | 0x04 | 0x20; // read-only, hidden, system, archive
constexpr uint32_t kDirectoryAttributesKept = 0x02 | 0x04;

bool IsSlash(wchar_t c) {
    return c == L'/' || c == L'\\';
}

std::wstring Join(const std::wstring& base, const std::wstring& relative) {
    if (base.empty())
        return relative;
    return IsSlash(base.back()) ? base + relative : base + L'/' + relative;
}

std::wstring ParentOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

} // namespace

Archive::Archive(FileSystem& fs, const std::string& path) : fs(fs), volumes(fs, path) {}

std::unique_ptr<Archive> Archive::Open(FileSystem& fs, const std::string& path, int& result) {
    std::unique_ptr<Archive> archive(new Archive(fs, path));
    result = archive->volumes.Start();
    if (result != RarOk)
        archive.reset();
    return archive;
}

CommentState Archive::Comment(std::string& text) {
    int result;
    std::unique_ptr<InputFile> file = volumes.Open(0, result);
    if (!file)
        return CommentState::Damaged;
    return ReadComment(fs, *file, volumes[0].layout, text);
}

const MemberRecord& Archive::Record(size_t start) const {
    return volumes[starts[start].volume].layout.members[starts[start].member];
}

void Archive::Catalogue() {
    for (; catalogued < volumes.Count(); ++catalogued) {
        const VolumeLayout& layout = volumes[catalogued].layout;
        for (size_t i = 0; i < layout.members.size(); ++i) {
            // libarchive's RAR 4 reader takes a continuation that opens the first volume read for a
            // member of its own; its RAR 5 reader passes over it.
            bool orphan = catalogued == 0 && i == 0 && layout.format == Format::Rar4;
            if (!layout.members[i].splitBefore || orphan)
                starts.push_back({catalogued, i});
        }
    }
}

bool Archive::StartReader() {
    Catalogue();
    if (!readerStarted) {
        readerStarted = true;
        reader = std::make_unique<Reader>(volumes, 0, volumes[0].layout.archiveStart, std::string());
    } else if (next < starts.size()) {
        const Start& s = starts[next];
        reader = std::make_unique<Reader>(volumes, s.volume, Record(next).headerOffset,
                                          volumes[s.volume].layout.opening);
    } else {
        return false;
    }
    readerFirst = next;
    return true;
}

// Damage is reported once; after it the archive simply has no more members.
int Archive::End(int result) {
    ended = result == RarBadData ? RarEndOfArchive : result;
    inMember = false;
    entry = nullptr;
    reader.reset();
    return result;
}

// After libarchive failed: reading goes on after the current member with a new reader, unless the
// volumes themselves failed.
int Archive::ReaderFailed() {
    int failure = reader->Failure();
    reader.reset();
    entry = nullptr;
    if (failure != RarOk)
        return End(failure);
    return RarBadData;
}

int Archive::ReadHeader(MemberHeader& header) {
    if (inMember) {
        int skipped = Process(RarSkip, nullptr, nullptr);
        if (ended)
            return skipped;
    }
    if (ended)
        return ended;
    if (volumes[0].layout.headersEncrypted)
        return End(password ? RarBadPassword : RarPasswordMissing);

    for (;;) {
        if (!reader && !StartReader()) {
            size_t last = volumes.Count() - 1;
            if (!volumes.HasNext(last))
                return End(volumes.CutShort(last) ? RarBadData : RarEndOfArchive);
            int found = volumes.FindNext();
            if (found != RarOk)
                return End(found);
            continue;
        }
        archive_entry* e = nullptr;
        int result = reader->Next(e);
        Catalogue();
        if (reader->Failure() != RarOk)
            return End(reader->Failure());
        if (result == ARCHIVE_OK || result == ARCHIVE_WARN) {
            if (next >= starts.size())
                return End(RarBadArchive); // libarchive sees a member the headers do not have
            const MemberRecord& record = Record(next);
            // libarchive's RAR 4 reader takes a member named as the one before it for a part of that
            // one, and gives it without name, size or type: a reader of its own reads it whole.
            if (volumes[0].layout.format == Format::Rar4 && !archive_entry_size_is_set(e) &&
                !record.splitBefore && readerFirst != next) {
                reader.reset();
                StartReader();
                continue;
            }
            bool regular = archive_entry_filetype(e) == AE_IFREG && !archive_entry_hardlink(e) &&
                           !record.directory && !record.encrypted;
            if (regular && archive_entry_size_is_set(e) &&
                static_cast<uint64_t>(archive_entry_size(e)) != record.unpSize)
                return End(RarBadArchive); // out of step: nothing after this can be trusted
            entry = e;
            current = next++;
            inMember = true;
            header.volumePath = volumes[starts[current].volume].path;
            header.name = EntryName();
            header.record = record;
            if (record.dosTime)
                header.dosTime = *record.dosTime;
            else if (archive_entry_mtime_is_set(e))
                header.dosTime =
                    fs.DosTime({archive_entry_mtime(e), static_cast<uint32_t>(archive_entry_mtime_nsec(e))});
            else
                header.dosTime = 0;
            return RarOk;
        }

        bool progressed = next > readerFirst;
        reader.reset();
        if (result == ARCHIVE_EOF && progressed)
            continue; // on in the next volume, or after what libarchive missed, or the end
        // The header at `next` could not be read; the member after it may be.
        if (next < starts.size()) {
            ++next;
            return RarBadData;
        }
        if (result == ARCHIVE_EOF)
            continue;
        return End(RarBadData);
    }
}

int Archive::Process(int operation, const std::string* destPath, const std::string* destName) {
    if (!inMember)
        return ended ? ended : RarUnknown;
    if (operation != RarSkip && operation != RarTest && operation != RarExtract)
        return RarUnknown;
    inMember = false;
    const MemberRecord& record = Record(current);

    if (record.encrypted && !record.directory) {
        int skipped = Skip();
        if (skipped != RarOk || operation == RarSkip)
            return skipped;
        return password ? RarBadPassword : RarPasswordMissing;
    }
    if (operation == RarSkip)
        return Skip();
    if (Unsupported(record)) {
        int skipped = Skip();
        return skipped != RarOk ? skipped : RarUnknownFormat;
    }
    if (operation == RarTest) {
        if (record.directory || archive_entry_filetype(entry) != AE_IFREG || archive_entry_hardlink(entry))
            return Skip();
        return Pump(nullptr);
    }
    return Extract(destPath, destName);
}

// Packing methods libarchive does not decode: RAR 1.5 to 2.x (RAR 4 headers before version 2.9), and
// RAR 5 headers of a later algorithm version. It would take their data for damaged RAR 2.9 or 5.0 data.
bool Archive::Unsupported(const MemberRecord& record) const {
    if (record.directory || record.method == 0x30)
        return false;
    if (volumes[0].layout.format == Format::Rar5)
        return record.unpVer != 50;
    return record.unpVer < 29 || record.unpVer > 36;
}

// libarchive may take volumes that ran out for the end of its data: the stream knows better.
int Archive::Skip() {
    if (archive_read_data_skip(reader->Handle()) != ARCHIVE_OK || reader->Failure() != RarOk)
        return ReaderFailed();
    return RarOk;
}

// Feeds the member's data to `sink` and the data callback, in order and once each. The member is
// read to its end even when the sink fails, so that reading can go on after it; when the data
// callback says stop, the rest of it is passed over.
int Archive::Pump(const Sink& sink) {
    bool sinking = true, stopped = false;
    uint64_t done = 0;
    auto deliver = [&](const void* block, size_t size) {
        if (size == 0 || stopped) // libarchive's decoders report progress without data
            return;
        if (sink && sinking)
            sinking = sink(block, size);
        if (sinking && data && !data(static_cast<const uint8_t*>(block), size))
            stopped = true;
        done += size;
    };
    for (;;) {
        const void* block;
        size_t size;
        la_int64_t offset;
        int result = archive_read_data_block(reader->Handle(), &block, &size, &offset);
        if (reader->Failure() != RarOk ||
            (result != ARCHIVE_OK && result != ARCHIVE_WARN && result != ARCHIVE_EOF))
            return ReaderFailed();
        if (result == ARCHIVE_EOF)
            break;
        if (offset < 0 || static_cast<uint64_t>(offset) < done) {
            reader.reset();
            return RarBadData;
        }
        static const char kZeros[4096] = {};
        while (done < static_cast<uint64_t>(offset) && !stopped)
            deliver(kZeros, static_cast<size_t>(std::min<uint64_t>(sizeof kZeros, offset - done)));
        deliver(block, size);
        if (stopped) {
            int skipped = Skip();
            return skipped != RarOk ? skipped : RarAborted;
        }
    }
    if (archive_entry_size_is_set(entry) && done != static_cast<uint64_t>(archive_entry_size(entry)))
        return RarBadData;
    return sinking ? RarOk : RarWriteError;
}

// A member that repeats a file of this run: its bytes go through the sink and the data callback
// as if they had been unpacked.
int Archive::CopyWritten(const std::wstring& source, const Sink& sink) {
    std::unique_ptr<InputFile> in = fs.OpenRead(source);
    if (!in)
        return RarCannotCreate;
    std::vector<char> block(1 << 16);
    for (;;) {
        int64_t n = in->Read(block.data(), block.size());
        if (n < 0)
            return RarCannotCreate;
        if (n == 0)
            return RarOk;
        if (!sink(block.data(), static_cast<size_t>(n)))
            return RarWriteError;
        if (data && !data(reinterpret_cast<const uint8_t*>(block.data()), static_cast<size_t>(n)))
            return RarAborted;
    }
}

// libarchive keeps RAR 5 names as the UTF-8 they are, adding a file version where there is one; its
// wide form of them goes through the system code page on Windows and loses what that lacks.
std::wstring Archive::EntryName() const {
    if (volumes[0].layout.format == Format::Rar5) {
        if (const char* utf8 = archive_entry_pathname_utf8(entry))
            return WideOfUtf8(utf8);
    }
    if (const std::optional<std::string>& utf8 = Record(current).utf8Name)
        return WideOfUtf8(*utf8);
    if (const wchar_t* wide = archive_entry_pathname_w(entry))
        return wide;
    if (std::optional<std::wstring> unicode = Record(current).unicodeName) {
        std::replace(unicode->begin(), unicode->end(), L'\\', L'/');
        return *unicode;
    }
    const char* narrow = archive_entry_pathname(entry);
    return narrow ? fs.Widen(narrow) : std::wstring();
}

// Every directory on the way is attempted: failures on the way (a drive, a share) do not matter
// as long as the directory exists in the end.
bool Archive::MakeDirectories(const std::wstring& directory) {
    if (directory.empty() || fs.IsDirectory(directory))
        return true;
    for (size_t at = 1; at < directory.size(); ++at) {
        if (IsSlash(directory[at]) && !IsSlash(directory[at - 1]))
            fs.MakeDirectory(directory.substr(0, at));
    }
    return fs.MakeDirectory(directory);
}

int Archive::Extract(const std::string* destPath, const std::string* destName) {
    const MemberRecord& record = Record(current);
    std::wstring base = destPath && !destPath->empty() ? fs.Widen(*destPath) : std::wstring();
    std::wstring relative = SafeRelativePath(EntryName());
    std::wstring target;
    if (destName && !destName->empty())
        target = fs.Widen(*destName);
    else if (!relative.empty())
        target = Join(base, relative);
    // Links are not made, whatever they point at: an installer has no use for them, and where they
    // lead is the archive's choice. A copy or hard link of a file this run wrote is made as a copy.
    const bool copy =
        record.redirection == Redirection::FileCopy || record.redirection == Redirection::HardLink;
    auto source = written.end();
    if (copy)
        source = written.find(SafeRelativePath(WideOfUtf8(record.redirectionTarget)));
    const bool link = (record.redirection != Redirection::None && source == written.end()) ||
                      archive_entry_filetype(entry) == AE_IFLNK || (!copy && archive_entry_hardlink(entry));
    if (target.empty() || target.size() > kLongestPath || link) {
        int skipped = Skip();
        return skipped != RarOk ? skipped : RarCannotCreate;
    }
    if (!copy && (record.directory || archive_entry_filetype(entry) == AE_IFDIR)) {
        int skipped = Skip();
        if (skipped != RarOk)
            return skipped;
        if (!MakeDirectories(target))
            return RarCannotCreate;
        fs.SetAttributes(target, record.attributes & kDirectoryAttributesKept);
        return RarOk;
    }
    int result;
    if (copy) {
        const std::wstring from = source->second;
        result = ExtractFile(target, [&](const Sink& sink) {
            int skipped = Skip();
            return skipped != RarOk ? skipped : CopyWritten(from, sink);
        });
    } else {
        result = ExtractFile(target, [&](const Sink& sink) { return Pump(sink); });
    }
    if (result != RarOk)
        return result;
    if (!relative.empty())
        written[relative] = target;
    return RarOk;
}

// A new name is written in place: nothing else has it, and a failure removes it again. Where a file
// of that name exists, the member is written beside it under a name of its own and renamed only when
// whole, so that a failure leaves the earlier file as it was. Either way nothing of a failed member is
// left, and the member is read to its end whatever happens, or skipped when no file can be made. A
// directory of the target's name is found by the renaming: looking for it first would cost every
// member a search of its directory, as a temporary name for every new file would cost two.
int Archive::ExtractFile(const std::wstring& target, const std::function<int(const Sink&)>& fill) {
    std::unique_ptr<OutputFile> out;
    std::wstring temporary; // empty while written in place
    if (MakeDirectories(ParentOf(target))) {
        out = fs.CreateNew(target);
        for (int attempt = 0; attempt < 100 && !out; ++attempt) {
            temporary = target + L".~unrar" + std::to_wstring(attempt);
            out = fs.CreateNew(temporary);
        }
    }
    if (!out) {
        int skipped = Skip();
        return skipped != RarOk ? skipped : RarCannotCreate;
    }
    int result = fill([&](const void* block, size_t size) { return out->Write(block, size); });
    if (result == RarOk) {
        const FileTime modified{archive_entry_mtime(entry),
                                static_cast<uint32_t>(archive_entry_mtime_nsec(entry))};
        out->SetProperties(archive_entry_mtime_is_set(entry) ? &modified : nullptr,
                           Record(current).attributes & kFileAttributesKept);
    }
    bool closed = out->Close();
    out.reset();
    if (result == RarOk && !closed)
        result = RarWriteError;
    if (result == RarOk && !temporary.empty() && !fs.Rename(temporary, target))
        result = RarCannotCreate;
    if (result != RarOk)
        fs.Remove(temporary.empty() ? target : temporary);
    return result;
}

} // namespace unrar
