#include "Module.h"

#include "Errors.h"
#include "Player.h"

#include <windows.h>

namespace music {

namespace {

struct FileHandle {
    HANDLE handle;
    ~FileHandle() { CloseHandle(handle); }
};

std::vector<char> ReadFileBytes(const char* path) {
    HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                       error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
        throw Failure{missing ? ErrorCode::FileNotFound : ErrorCode::FileUnreadable};
    }
    FileHandle file{handle};
    LARGE_INTEGER size;
    // libxmp takes the size as a long, which is 32 bits on Windows.
    if (!GetFileSizeEx(handle, &size) || size.QuadPart > 0x7FFFFFFF)
        throw Failure{ErrorCode::FileUnreadable};
    std::vector<char> bytes(std::size_t(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        (!ReadFile(handle, bytes.data(), DWORD(bytes.size()), &read, nullptr) || read != bytes.size()))
        throw Failure{ErrorCode::FileUnreadable};
    return bytes;
}

} // namespace

Module ReadModule(const char* path) {
    if (!path)
        throw Failure{ErrorCode::InvalidArgument};
    Module module{ReadFileBytes(path), {}};
    module.info = Player(module.bytes).Info();
    return module;
}

} // namespace music
