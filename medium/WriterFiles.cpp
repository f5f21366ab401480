#include "medium/WriterFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace medium {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void FailErrno(const std::string& shown, const char* doing) {
    const int error = errno;
    throw WriteError(shown + ": " + doing + ": " + (error ? std::strerror(error) : "unknown error"));
}

std::FILE* OpenFile(const fs::path& path, bool write) {
#ifdef _WIN32
    return _wfopen(path.c_str(), write ? L"wb" : L"rb");
#else
    return std::fopen(path.c_str(), write ? "wb" : "rb");
#endif
}

} // namespace

std::string Shown(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path Utf8Path(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

void Fail(const fs::path& path, const std::string& cause) {
    throw WriteError(Shown(path) + ": " + cause);
}

Source::Source(const fs::path& path, uint64_t size) : path(path), left(size), file(OpenFile(path, false)) {
    if (!file)
        FailErrno(Shown(path), "cannot be opened");
}

std::span<const uint8_t> Source::Next(uint8_t* into, size_t most) {
    const size_t want = size_t(std::min<uint64_t>(left, most));
    if (!want) {
        End();
        return {};
    }
    errno = 0;
    const size_t got = std::fread(into, 1, want, file.get());
    if (got < want) {
        if (std::ferror(file.get()))
            FailErrno(Shown(path), "cannot be read");
        Fail(path, "became shorter while it was read");
    }
    left -= got;
    if (!left)
        End();
    return {into, got};
}

void Source::End() {
    if (!ended && std::fgetc(file.get()) != EOF)
        Fail(path, "became longer while it was read");
    ended = true;
}

Output::Output(const fs::path& path, const std::string& shown) : shown(shown), file(OpenFile(path, true)) {
    if (!file)
        FailErrno(shown, "cannot be created");
    std::setvbuf(file.get(), nullptr, _IOFBF, 256 << 10);
}

void Output::Write(const void* data, size_t size) {
    errno = 0;
    if (std::fwrite(data, 1, size, file.get()) != size)
        FailErrno(shown, "cannot be written");
    position += size;
}

void Output::Patch(uint64_t at, const std::string& bytes) {
    const uint64_t end = position;
    Seek(at);
    Write(bytes);
    Seek(end);
}

// Data still buffered is written here: a full disk may show only now.
void Output::Close() {
    errno = 0;
    if (std::fclose(file.release()) != 0)
        FailErrno(shown, "cannot be written");
}

void Output::Seek(uint64_t at) {
#ifdef _WIN32
    const int failed = _fseeki64(file.get(), int64_t(at), SEEK_SET);
#else
    const int failed = fseeko(file.get(), off_t(at), SEEK_SET);
#endif
    if (failed)
        FailErrno(shown, "cannot be written");
    position = at;
}

} // namespace medium
