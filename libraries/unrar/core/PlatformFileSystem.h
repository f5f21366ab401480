// The file system of the system the core runs on: Win32FileSystem.cpp in the DLL, the POSIX one in
// native builds (fuzzing). Exactly one is linked.
#pragma once

#include "FileSystem.h"

namespace unrar {

class PlatformFileSystem : public FileSystem {
public:
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
    std::unique_ptr<InputFile> OpenRead(const std::wstring& path) override;
    std::unique_ptr<OutputFile> CreateNew(const std::wstring& path) override;
    bool MakeDirectory(const std::wstring& path) override;
    bool IsDirectory(const std::wstring& path) override;
    bool Rename(const std::wstring& from, const std::wstring& to) override;
    bool Remove(const std::wstring& path) override;
    void SetAttributes(const std::wstring& path, uint32_t attributes) override;
    std::wstring Widen(const std::string& narrow) override;
    std::string Narrow(const std::wstring& wide) override;
    uint32_t DosTime(const FileTime& time) override;

    // Whether the last rename failed because another program held a file it needed.
    bool renameHeld = false;
};

} // namespace unrar
