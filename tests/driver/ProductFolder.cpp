#include "tests/driver/Driver.h"

#include <stdexcept>

namespace driver {

static std::string LastError() {
    return " (error " + std::to_string(GetLastError()) + ")";
}

static void RemoveTree(const std::string& directory) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = directory + "\\" + name;
            // A program under test may have left files read-only.
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(directory.c_str());
}

static void MakeParentDirectories(const std::string& path) {
    for (size_t slash = path.find('\\', 3); slash != std::string::npos; slash = path.find('\\', slash + 1))
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
}

ProductFolder::ProductFolder() {
    char temp[MAX_PATH];
    if (!GetTempPathA(MAX_PATH, temp))
        throw std::runtime_error("no temp directory" + LastError());
    static unsigned counter = 0;
    for (;;) {
        root = std::string(temp) + "korvadel-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(++counter);
        if (CreateDirectoryA(root.c_str(), nullptr))
            return;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            throw std::runtime_error("cannot create " + root + LastError());
    }
}

ProductFolder::~ProductFolder() {
    // Wine may hold an exited program's files for a moment longer.
    WaitUntil(
        [this] {
            RemoveTree(root);
            return GetFileAttributesA(root.c_str()) == INVALID_FILE_ATTRIBUTES;
        },
        2000);
}

std::string ProductFolder::Path(const std::string& name) const {
    std::string path = root;
    if (!name.empty())
        path += '\\';
    for (char c : name)
        path += c == '/' ? '\\' : c;
    return path;
}

void ProductFolder::Copy(const std::string& binName, const std::string& asName) {
    std::string source = BinPath(binName);
    std::string target = Path(asName.empty() ? source.substr(source.rfind('\\') + 1) : asName);
    MakeParentDirectories(target);
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + source + " to " + target + LastError());
}

void ProductFolder::Write(const std::string& name, const std::string& bytes) {
    std::string path = Path(name);
    MakeParentDirectories(path);
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create " + path + LastError());
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    std::string failure = ok ? "" : LastError();
    CloseHandle(file);
    if (!ok || written != bytes.size())
        throw std::runtime_error("cannot write " + path + failure);
}

std::string ProductFolder::Read(const std::string& name) const {
    std::string path = Path(name);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open " + path + LastError());
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    BOOL ok;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0)
        bytes.append(buffer, got);
    std::string failure = ok ? "" : LastError();
    CloseHandle(file);
    if (!ok)
        throw std::runtime_error("cannot read " + path + failure);
    return bytes;
}

bool ProductFolder::Exists(const std::string& name) const {
    return GetFileAttributesA(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace driver
