// What the core needs from the host: reading volumes, creating the extracted tree, and the host's
// text and time conventions. The DLL implements it over Win32, a native build over POSIX.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace unrar {

class InputFile {
public:
    virtual ~InputFile() = default;
    // Bytes read into `buffer`, 0 at the end of the file, -1 on an error.
    virtual int64_t Read(void* buffer, size_t size) = 0;
    virtual bool Seek(uint64_t offset) = 0;
    virtual uint64_t Size() const = 0;
};

// Seconds and nanoseconds since 1970-01-01 UTC.
struct FileTime {
    int64_t seconds = 0;
    uint32_t nanoseconds = 0;
};

class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual bool Write(const void* data, size_t size) = 0;
    // The modification time when given, and the Windows attributes when not 0; a host without them
    // maps what it can.
    virtual void SetProperties(const FileTime* modified, uint32_t attributes) = 0;
    // Flushes and closes; false when the data may not have reached the file.
    virtual bool Close() = 0;
};

// Volume names are the caller's narrow strings (the system code page on Windows, UTF-8 on POSIX);
// extracted names are wide, as the archive's Unicode names are. Paths use '/' or the host's separator.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual std::unique_ptr<InputFile> OpenRead(const std::string& path) = 0;
    // A file extracted earlier, which a later member repeats.
    virtual std::unique_ptr<InputFile> OpenRead(const std::wstring& path) = 0;

    // Fails when something of that name exists already.
    virtual std::unique_ptr<OutputFile> CreateNew(const std::wstring& path) = 0;
    // Succeeds when the directory exists afterwards, whoever made it.
    virtual bool MakeDirectory(const std::wstring& path) = 0;
    virtual bool IsDirectory(const std::wstring& path) = 0;
    // Replaces a file of the new name, read-only or not.
    virtual bool Rename(const std::wstring& from, const std::wstring& to) = 0;
    virtual bool Remove(const std::wstring& path) = 0;
    // A directory's Windows attributes (a file's are set while it is written); a host without them
    // maps what it can.
    virtual void SetAttributes(const std::wstring& path, uint32_t attributes) = 0;

    virtual std::wstring Widen(const std::string& narrow) = 0;
    virtual std::string Narrow(const std::wstring& wide) = 0;
    // MS-DOS date and time, in local time as archivers write it.
    virtual uint32_t DosTime(const FileTime& time) = 0;
};

} // namespace unrar
