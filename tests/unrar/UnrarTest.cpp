#include "UnrarTest.h"

#include "tests/driver/Driver.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace unrartest {

namespace {

// The callbacks carry no context of their own; one run at a time is all the tests make.
const RunOptions* current = nullptr;

int CALLBACK OnVolume(char* arcName, int mode) {
    if (current && current->onVolume)
        return current->onVolume(arcName, mode);
    return mode == RarVolumeAsk ? -1 : 1;
}

int CALLBACK OnData(unsigned char* data, int size) {
    if (current && current->onData)
        current->onData(data, size);
    return current && current->dataAnswer ? current->dataAnswer() : 1;
}

// Where a volume comes in its set: name.rar first, then name.r00 … or name.partN.rar by N.
long VolumeOrder(const std::string& name) {
    std::smatch m;
    if (std::regex_search(name, m, std::regex(R"(\.part(\d+)\.rar$)", std::regex::icase)))
        return std::stol(m[1]);
    if (std::regex_search(name, m, std::regex(R"(\.([r-z])(\d\d)$)", std::regex::icase)))
        return 1 + (std::tolower(m[1].str()[0]) - 'r') * 100 + std::stol(m[2]);
    return 0;
}

} // namespace

fs::path Fixtures() {
    const char* fixtures = std::getenv("KORVADEL_FIXTURES");
    if (fixtures && *fixtures)
        return driver::WindowsPathOf(fixtures);
    return fs::path(driver::BinPath("")) / ".." / "fixtures";
}

std::vector<fs::path> VolumesOf(const fs::path& folder) {
    std::vector<fs::path> volumes;
    for (const fs::directory_entry& e : fs::directory_iterator(folder))
        volumes.push_back(e.path());
    std::sort(volumes.begin(), volumes.end(), [](const fs::path& a, const fs::path& b) {
        return VolumeOrder(a.filename().string()) < VolumeOrder(b.filename().string());
    });
    return volumes;
}

std::string Ansi(const std::wstring& text) {
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::string Ansi(const fs::path& path) {
    return Ansi(path.wstring());
}

std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty())
        return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), size);
    return out;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + Utf8(path.wstring()));
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> ReadLines(const fs::path& path) {
    std::vector<std::string> lines;
    if (!fs::exists(path))
        return lines;
    std::istringstream in(ReadFile(path));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TempFolder::TempFolder() {
    static int count = 0;
    path = fs::temp_directory_path() /
           ("unrar-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count));
    fs::remove_all(path);
    fs::create_directories(path);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Read-only members would stop the removal.
    for (auto it = fs::recursive_directory_iterator(path, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored))
        SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(path, ignored);
}

Tree ReadTree(const fs::path& root) {
    Tree tree;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root)) {
        std::string name = Utf8(fs::relative(e.path(), root).generic_wstring());
        tree[name] = e.is_directory() ? "<dir>" : ReadFile(e.path());
    }
    return tree;
}

std::string Difference(const Tree& got, const Tree& want) {
    std::string out;
    for (const auto& [name, bytes] : want) {
        auto it = got.find(name);
        if (it == got.end())
            out += "missing: " + name + "\n";
        else if (it->second != bytes)
            out += "differs: " + name + " (" + std::to_string(it->second.size()) + " bytes, want " +
                   std::to_string(bytes.size()) + ")\n";
    }
    for (const auto& [name, bytes] : got) {
        if (!want.count(name))
            out += "unexpected: " + name + "\n";
    }
    return out;
}

RarHandle OpenForExtraction(const fs::path& archive, int* openResult) {
    std::string name = Ansi(archive);
    RAROpenRecord open{};
    open.ArcName = name.data();
    open.OpenMode = RarOpenExtract;
    RarHandle handle = RAROpenArchive(&open);
    if (openResult)
        *openResult = int(open.OpenResult);
    return handle;
}

Outcomes OutcomesOf(const ArchiveRun& run) {
    Outcomes outcomes;
    for (const Member& member : run.members)
        outcomes.emplace_back(member.fileName, member.result);
    return outcomes;
}

ArchiveRun RunArchive(const fs::path& archive, const fs::path& destination, const RunOptions& options) {
    ArchiveRun run;
    std::string arcName = Ansi(archive);
    std::vector<char> comment(options.commentRoom + 1, '\0');
    RAROpenRecord open{};
    open.ArcName = arcName.data();
    open.OpenMode = RarOpenExtract;
    open.CmtBuf = options.commentRoom ? comment.data() : nullptr;
    open.CmtBufSize = options.commentRoom;
    RarHandle handle = RAROpenArchive(&open);
    run.openResult = int(open.OpenResult);
    if (!handle)
        return run;
    run.commentState = open.CmtState;
    if (open.CmtSize > 0)
        run.comment.assign(comment.data(), open.CmtSize - 1);

    current = &options;
    RARSetChangeVolProc(handle, OnVolume);
    RARSetProcessDataProc(handle, OnData);
    if (options.password)
        RARSetPassword(handle, const_cast<char*>(options.password));
    std::string dest = Ansi(destination);
    for (;;) {
        Member member{};
        run.end = RARReadHeader(handle, &member.header);
        if (run.end != RarOk)
            run.headerErrors.push_back(run.end);
        if (run.end == RarEndOfArchive || int(run.headerErrors.size()) > options.readsPastErrors)
            break;
        if (run.end != RarOk)
            continue;
        member.arcName = member.header.ArcName;
        member.fileName = member.header.FileName;
        int operation = options.operationOf ? options.operationOf(member.fileName) : options.operation;
        member.result = RARProcessFile(handle, operation, dest.empty() ? nullptr : dest.data(), nullptr);
        member.systemError = GetLastError();
        if (options.onMember)
            options.onMember(member);
        run.members.push_back(member);
    }
    current = nullptr;
    RARCloseArchive(handle);
    return run;
}

} // namespace unrartest
