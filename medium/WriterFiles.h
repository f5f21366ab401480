// The files the RAR writer reads and writes, through std::FILE with wide paths on Windows; every failure
// a WriteError that names the file and the cause.
#pragma once

#include "medium/RarWriter.h"

#include <cstdio>
#include <memory>
#include <span>

namespace medium {

std::string Shown(const std::filesystem::path& path);
std::filesystem::path Utf8Path(const std::string& text);
[[noreturn]] void Fail(const std::filesystem::path& path, const std::string& cause);

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A source file's data in blocks, exactly as many bytes as were listed.
class Source {
public:
    Source(const std::filesystem::path& path, uint64_t size);
    // The next block, at most `most` bytes, read into `into`; empty at the end.
    std::span<const uint8_t> Next(uint8_t* into, size_t most);
    // A file that grew would be archived cut short.
    void End();

private:
    std::filesystem::path path;
    uint64_t left;
    File file;
    bool ended = false;
};

// The file being written, its position kept here: the headers are patched by seeking back. Failures
// name it as `shown`: the user knows the volume, not its temporary name.
class Output {
public:
    Output(const std::filesystem::path& path, const std::string& shown);
    void Write(const void* data, size_t size);
    void Write(const std::string& bytes) { Write(bytes.data(), bytes.size()); }
    uint64_t Tell() const { return position; }
    // Writes `bytes` over earlier ones at `at`, then goes on at the end.
    void Patch(uint64_t at, const std::string& bytes);
    void Close();

private:
    void Seek(uint64_t at);

    std::string shown;
    File file;
    uint64_t position = 0;
};

} // namespace medium
