// libFuzzer target over the portable core, built natively by tools/fuzz-unrar.sh. An input is one
// or more volumes separated by kVolumeMark; its first byte picks the naming scheme and operations.
// Besides what AddressSanitizer finds, it stops on anything written outside the destination, on a
// link made, and on a partial file left behind.
#include "core/Archive.h"
#include "core/PlatformFileSystem.h"
#include "core/SafePath.h"
#include "unrar.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string kVolumeMark("KVOL\xff\xfe\xfd\xfc", 8);
constexpr int kHeaderLimit = 500;

std::string root, input, output;

void Fail(const std::string& what) {
    std::fprintf(stderr, "unrar_fuzz: %s\n", what.c_str());
    std::abort();
}

// Removes a tree, checking on the way that it holds nothing but directories and regular files
// whose names are not extraction temporaries.
void Sweep(const std::string& path, bool check) {
    DIR* dir = opendir(path.c_str());
    if (!dir)
        return;
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        std::string child = path + "/" + name;
        struct stat st;
        if (lstat(child.c_str(), &st) != 0)
            continue;
        if (check && S_ISLNK(st.st_mode))
            Fail("a link was made: " + child);
        if (check && name.find(".~unrar") != std::string::npos)
            Fail("a partial file was left: " + child);
        if (S_ISDIR(st.st_mode)) {
            chmod(child.c_str(), 0755);
            Sweep(child, check);
            rmdir(child.c_str());
        } else {
            unlink(child.c_str());
        }
    }
    closedir(dir);
}

void CheckOnlyExpected(const std::string& path, const std::vector<std::string>& allowed) {
    DIR* dir = opendir(path.c_str());
    if (!dir)
        Fail("cannot list " + path);
    while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        bool known = false;
        for (const std::string& a : allowed)
            known = known || a == name;
        if (!known)
            Fail("written outside the destination: " + path + "/" + name);
    }
    closedir(dir);
}

std::string VolumeName(size_t index, bool partNumbers) {
    if (partNumbers)
        return "set.part" + std::to_string(index + 1) + ".rar";
    if (index == 0)
        return "set.rar";
    char extension[8];
    std::snprintf(extension, sizeof extension, "r%02zu", index - 1);
    return std::string("set.") + extension;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C.UTF-8");
    const char* base = std::getenv("UNRAR_FUZZ_DIR");
    root = std::string(base && *base ? base : "/tmp") + "/unrar-fuzz-" + std::to_string(getpid());
    // The destination lies three levels down, so that a climb out of it lands where it is seen.
    input = root + "/in";
    output = root + "/a/b/out";
    Sweep(root, false);
    mkdir(root.c_str(), 0755);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const uint8_t options = data[0];
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    mkdir(input.c_str(), 0755);
    mkdir((root + "/a").c_str(), 0755);
    mkdir((root + "/a/b").c_str(), 0755);
    mkdir(output.c_str(), 0755);
    const bool partNumbers = !(options & 0x01);
    std::vector<std::string> volumes;
    for (size_t at = 0;;) {
        size_t mark = bytes.find(kVolumeMark, at);
        std::string name = VolumeName(volumes.size(), partNumbers);
        FILE* f = std::fopen((input + "/" + name).c_str(), "wb");
        std::string part = bytes.substr(at, mark == std::string::npos ? std::string::npos : mark - at);
        std::fwrite(part.data(), 1, part.size(), f);
        std::fclose(f);
        volumes.push_back(name);
        if (mark == std::string::npos || volumes.size() >= 64)
            break;
        at = mark + kVolumeMark.size();
    }

    unrar::PlatformFileSystem fs;
    int result = RarOk;
    std::unique_ptr<unrar::Archive> archive = unrar::Archive::Open(fs, input + "/" + volumes[0], result);
    if (archive) {
        std::string comment;
        archive->Comment(comment);
        int asks = 0;
        archive->SetVolumeCallback([&](std::string& path, int mode) {
            if (mode == RarVolumeAsk && path.rfind(input + "/", 0) != 0)
                Fail("asked for a volume elsewhere: " + path);
            return mode == RarVolumeAsk && ++asks > 1 ? -1 : 1;
        });
        uint64_t seen = 0;
        archive->SetDataCallback([&](const uint8_t* block, size_t n) {
            if (n == 0 || !block)
                Fail("empty data block");
            seen += n;
            // Some inputs stop members part-way, which must leave nothing behind either.
            return !(options & 0x10) || seen < 4096;
        });
        archive->SetPassword(options & 0x02);
        unrar::MemberHeader header;
        for (int i = 0; i < kHeaderLimit; ++i) {
            result = archive->ReadHeader(header);
            if (result == RarEndOfArchive || (result != RarOk && result != RarBadData))
                break;
            if (result != RarOk)
                continue;
            int operation = (options >> 2) & 0x03;
            if (operation == 3)
                operation = i % 3;
            std::string dest = output;
            archive->Process(operation, &dest, nullptr);
        }
    }

    CheckOnlyExpected(root, {"in", "a"});
    CheckOnlyExpected(root + "/a", {"b"});
    CheckOnlyExpected(root + "/a/b", {"out"});
    CheckOnlyExpected(input, volumes);
    Sweep(output, true);
    Sweep(input, false);
    return 0;
}
