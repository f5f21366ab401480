// The core's file system over POSIX, for native builds: names are UTF-8 on disk.
#include "PlatformFileSystem.h"

#include "Text.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace unrar {

namespace {

class PosixInput : public InputFile {
public:
    explicit PosixInput(int fd) : fd(fd) {}
    ~PosixInput() override { close(fd); }

    int64_t Read(void* buffer, size_t size) override {
        ssize_t n;
        do {
            n = read(fd, buffer, size);
        } while (n < 0 && errno == EINTR);
        return n;
    }
    bool Seek(uint64_t offset) override {
        return offset <= INT64_MAX && lseek(fd, static_cast<off_t>(offset), SEEK_SET) >= 0;
    }
    uint64_t Size() const override {
        struct stat st;
        return fstat(fd, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
    }

private:
    int fd;
};

class PosixOutput : public OutputFile {
public:
    explicit PosixOutput(int fd) : fd(fd) {}
    ~PosixOutput() override { Close(); }

    bool Write(const void* data, size_t size) override {
        auto bytes = static_cast<const char*>(data);
        while (size > 0) {
            ssize_t n = write(fd, bytes, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            bytes += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }
    void SetProperties(const FileTime* modified, uint32_t attributes) override {
        if (modified) {
            struct timespec times[2];
            times[0].tv_sec = 0;
            times[0].tv_nsec = UTIME_OMIT;
            times[1].tv_sec = static_cast<time_t>(modified->seconds);
            times[1].tv_nsec = modified->nanoseconds < 1000000000 ? modified->nanoseconds : 0;
            futimens(fd, times);
        }
        struct stat st;
        if ((attributes & 0x01) && fstat(fd, &st) == 0)
            fchmod(fd, st.st_mode & ~mode_t(0222));
    }
    bool Close() override {
        if (fd < 0)
            return true;
        bool closed = close(fd) == 0;
        fd = -1;
        return closed;
    }

private:
    int fd;
};

std::unique_ptr<InputFile> OpenForReading(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    return std::make_unique<PosixInput>(fd);
}

} // namespace

std::unique_ptr<InputFile> PlatformFileSystem::OpenRead(const std::string& path) {
    return OpenForReading(path);
}

std::unique_ptr<InputFile> PlatformFileSystem::OpenRead(const std::wstring& path) {
    return OpenForReading(Narrow(path));
}

std::unique_ptr<OutputFile> PlatformFileSystem::CreateNew(const std::wstring& path) {
    int fd = open(Narrow(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return nullptr;
    return std::make_unique<PosixOutput>(fd);
}

bool PlatformFileSystem::MakeDirectory(const std::wstring& path) {
    return mkdir(Narrow(path).c_str(), 0755) == 0 || IsDirectory(path);
}

bool PlatformFileSystem::IsDirectory(const std::wstring& path) {
    struct stat st;
    return stat(Narrow(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PlatformFileSystem::Rename(const std::wstring& from, const std::wstring& to) {
    return rename(Narrow(from).c_str(), Narrow(to).c_str()) == 0;
}

bool PlatformFileSystem::Remove(const std::wstring& path) {
    return unlink(Narrow(path).c_str()) == 0;
}

// A directory keeps only hidden and system, which have no POSIX meaning.
void PlatformFileSystem::SetAttributes(const std::wstring&, uint32_t) {}

std::wstring PlatformFileSystem::Widen(const std::string& narrow) {
    return WideOfUtf8(narrow);
}

std::string PlatformFileSystem::Narrow(const std::wstring& wide) {
    return Utf8OfWide(wide);
}

uint32_t PlatformFileSystem::DosTime(const FileTime& time) {
    time_t seconds = static_cast<time_t>(time.seconds);
    struct tm local;
    if (!localtime_r(&seconds, &local) || local.tm_year < 80 || local.tm_year > 207)
        return 0;
    return uint32_t(local.tm_year - 80) << 25 | uint32_t(local.tm_mon + 1) << 21 |
           uint32_t(local.tm_mday) << 16 | uint32_t(local.tm_hour) << 11 | uint32_t(local.tm_min) << 5 |
           uint32_t(local.tm_sec / 2);
}

} // namespace unrar
