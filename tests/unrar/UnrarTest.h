// What the unrar.dll tests share: the fixtures, runs of the interface as the program makes them, and
// extracted trees to compare.
#pragma once

#include "unrar.h"

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace unrartest {

namespace fs = std::filesystem;

// $KORVADEL_FIXTURES, else the fixtures beside the build's bin folder.
fs::path Fixtures();
// A generated set's volumes, first to last, in either naming scheme.
std::vector<fs::path> VolumesOf(const fs::path& folder);

// The system code page's rendering of a path or text, as the interface takes and gives them.
std::string Ansi(const std::wstring& text);
std::string Ansi(const fs::path& path);
std::wstring FromUtf8(const std::string& text);
std::string Utf8(const std::wstring& text);
std::string ReadFile(const fs::path& path);
std::vector<std::string> ReadLines(const fs::path& path);

// A folder of its own under the temporary folder, removed with its contents.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& Path() const { return path; }

private:
    fs::path path;
};

// A folder's contents by relative UTF-8 path ('/' between names): a file's bytes, or "<dir>".
using Tree = std::map<std::string, std::string>;
Tree ReadTree(const fs::path& root);
// Empty when equal; otherwise what differs, by name and size.
std::string Difference(const Tree& got, const Tree& want);

struct Member {
    std::string arcName;
    std::string fileName;
    RARHeaderData header;
    int result;
    unsigned long systemError; // GetLastError() right after the member was processed
};

struct ArchiveRun {
    int openResult = RarOk;
    std::string comment;
    unsigned commentState = 0;
    std::vector<Member> members;
    std::vector<int> headerErrors; // what header reads gave besides RarOk, in order
    int end = RarOk;               // the result that ended the run
};

struct RunOptions {
    int operation = RarExtract;
    // The operation for each member by its name, in place of `operation`.
    std::function<int(const std::string& fileName)> operationOf;
    const char* password = nullptr;
    unsigned commentRoom = 4096;
    // Called on every volume callback; the default gives up on a missing volume.
    std::function<int(char* arcName, int mode)> onVolume;
    std::function<void(const unsigned char* data, int size)> onData;
    // Called when a member has been processed.
    std::function<void(const Member& member)> onMember;
    // The data callback's answer to each block; 1 (go on) when unset.
    std::function<int()> dataAnswer;
    // Reads on after a header that could not be read, as the interface allows, for this many more.
    int readsPastErrors = 0;
};

// `archive` opened for extraction, without a comment buffer; null when it cannot be, and why.
RarHandle OpenForExtraction(const fs::path& archive, int* openResult = nullptr);

// Opens `archive`, reads every header and processes each member into `destination` (none for an
// empty path), as the program does, until a header cannot be read (or, with readsPastErrors, until
// the end of the archive).
ArchiveRun RunArchive(const fs::path& archive, const fs::path& destination, const RunOptions& options = {});

// Each member's name and result, in order: compared whole, a failure shows the whole run.
using Outcomes = std::vector<std::pair<std::string, int>>;
Outcomes OutcomesOf(const ArchiveRun& run);

} // namespace unrartest
