// The core's file system over Win32: wide-character calls throughout, long paths through "\\?\".
#include "core/PlatformFileSystem.h"

#include <windows.h>

namespace unrar {

namespace {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr int64_t kUnixEpoch = 116444736000000000LL;

// Win32 paths with the separators it expects; past MAX_PATH only the "\\?\" form works, and that
// form takes the path literally, so it is made absolute first.
std::wstring NativePath(const std::wstring& path) {
    std::wstring native = path;
    for (wchar_t& c : native) {
        if (c == L'/')
            c = L'\\';
    }
    if (native.size() < MAX_PATH - 12 || native.rfind(L"\\\\?\\", 0) == 0)
        return native;
    DWORD size = GetFullPathNameW(native.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return native;
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(native.c_str(), size, full.data(), nullptr);
    full.resize(size);
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

FILETIME FileTimeOf(const FileTime& time) {
    int64_t ticks = time.seconds * 10000000LL + time.nanoseconds / 100 + kUnixEpoch;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return ft;
}

class Win32Input : public InputFile {
public:
    explicit Win32Input(HANDLE handle) : handle(handle) {}
    ~Win32Input() override { CloseHandle(handle); }

    int64_t Read(void* buffer, size_t size) override {
        DWORD chunk = static_cast<DWORD>(size > 0x40000000 ? 0x40000000 : size);
        DWORD read = 0;
        if (!ReadFile(handle, buffer, chunk, &read, nullptr))
            return -1;
        return read;
    }
    bool Seek(uint64_t offset) override {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        return offset <= INT64_MAX && SetFilePointerEx(handle, to, nullptr, FILE_BEGIN);
    }
    uint64_t Size() const override {
        LARGE_INTEGER size;
        return GetFileSizeEx(handle, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
    }

private:
    HANDLE handle;
};

class Win32Output : public OutputFile {
public:
    explicit Win32Output(HANDLE handle) : handle(handle) {}
    ~Win32Output() override { Close(); }

    bool Write(const void* data, size_t size) override {
        auto bytes = static_cast<const char*>(data);
        while (size > 0) {
            DWORD chunk = static_cast<DWORD>(size > 0x40000000 ? 0x40000000 : size);
            DWORD written = 0;
            if (!WriteFile(handle, bytes, chunk, &written, nullptr) || written == 0)
                return false;
            bytes += written;
            size -= written;
        }
        return true;
    }
    // Through the handle, in one call: set by the path, the attributes would cost the file's opening
    // and closing again.
    void SetProperties(const FileTime* modified, uint32_t attributes) override {
        FILE_BASIC_INFO info{}; // what is 0 stays as it is
        if (modified) {
            FILETIME ft = FileTimeOf(*modified);
            info.LastWriteTime.LowPart = ft.dwLowDateTime;
            info.LastWriteTime.HighPart = static_cast<LONG>(ft.dwHighDateTime);
        }
        info.FileAttributes = attributes;
        if (modified || attributes)
            SetFileInformationByHandle(handle, FileBasicInfo, &info, sizeof info);
    }
    bool Close() override {
        if (handle == INVALID_HANDLE_VALUE)
            return true;
        bool closed = CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle;
};

std::unique_ptr<InputFile> OpenForReading(const std::wstring& path) {
    HANDLE handle = CreateFileW(NativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32Input>(handle);
}

} // namespace

std::unique_ptr<InputFile> PlatformFileSystem::OpenRead(const std::string& path) {
    return OpenForReading(Widen(path));
}

std::unique_ptr<InputFile> PlatformFileSystem::OpenRead(const std::wstring& path) {
    return OpenForReading(path);
}

std::unique_ptr<OutputFile> PlatformFileSystem::CreateNew(const std::wstring& path) {
    HANDLE handle = CreateFileW(NativePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<Win32Output>(handle);
}

bool PlatformFileSystem::MakeDirectory(const std::wstring& path) {
    return CreateDirectoryW(NativePath(path).c_str(), nullptr) || IsDirectory(path);
}

bool PlatformFileSystem::IsDirectory(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(NativePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// A scanner or a sync client may hold a file it has just seen written, for a moment: a rename that
// meets one is tried again after these pauses (310 ms in all) before the member fails.
constexpr DWORD kRenamePauses[] = {10, 20, 40, 80, 160};

bool HeldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

} // namespace

bool PlatformFileSystem::Rename(const std::wstring& from, const std::wstring& to) {
    std::wstring source = NativePath(from), target = NativePath(to);
    renameHeld = false;
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DWORD error = GetLastError();
    DWORD attributes = GetFileAttributesW(target.c_str());
    // A directory in the way is refused at once, however the system words it.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    // A read-only file is not replaced until it is writable.
    bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    if (readOnly)
        SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    for (DWORD pause : kRenamePauses) {
        if (readOnly) {
            readOnly = false; // made writable just now: tried again at once
        } else if (HeldByAnother(error)) {
            Sleep(pause);
        } else {
            break;
        }
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
            return true;
        error = GetLastError();
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(target.c_str(), attributes);
    renameHeld = HeldByAnother(error);
    return false;
}

// A member's file is made read-only before it is renamed into place, and removed if that fails.
bool PlatformFileSystem::Remove(const std::wstring& path) {
    std::wstring native = NativePath(path);
    if (DeleteFileW(native.c_str()))
        return true;
    DWORD attributes = GetFileAttributesW(native.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           SetFileAttributesW(native.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) &&
           DeleteFileW(native.c_str());
}

void PlatformFileSystem::SetAttributes(const std::wstring& path, uint32_t attributes) {
    if (attributes != 0)
        SetFileAttributesW(NativePath(path).c_str(), attributes);
}

std::wstring PlatformFileSystem::Widen(const std::string& narrow) {
    if (narrow.empty())
        return {};
    int size = MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), static_cast<int>(narrow.size()), wide.data(), size);
    return wide;
}

std::string PlatformFileSystem::Narrow(const std::wstring& wide) {
    if (wide.empty())
        return {};
    int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(), size, nullptr,
                        nullptr);
    return narrow;
}

uint32_t PlatformFileSystem::DosTime(const FileTime& time) {
    FILETIME utc = FileTimeOf(time), local;
    WORD date = 0, clock = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &clock))
        return 0;
    return uint32_t(date) << 16 | clock;
}

} // namespace unrar
