// The floor for extracting many small files: the plain loop of creating, writing and closing each of
// the same names in one folder, with nothing else done. Prints the seconds it took:
//   create_loop COUNT SIZE DESTINATION
// Built for Windows (run under Wine) and for this machine, from the one source.
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool WriteNew(const std::string& path, const std::vector<char>& data) {
#ifdef _WIN32
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, data.data(), DWORD(data.size()), &written, nullptr) && written == data.size();
    return CloseHandle(file) && ok;
#else
    int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (file < 0)
        return false;
    bool ok = write(file, data.data(), data.size()) == ssize_t(data.size());
    return close(file) == 0 && ok;
#endif
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s COUNT SIZE DESTINATION\n", argv[0]);
        return 2;
    }
    const int count = std::atoi(argv[1]);
    const std::vector<char> data(std::strtoul(argv[2], nullptr, 10), 'k');
    const std::string folder = argv[3];
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/f%05d.bin", i);
        if (!WriteNew(folder + name, data)) {
            std::fprintf(stderr, "cannot write %s%s\n", folder.c_str(), name);
            return 1;
        }
    }
    std::printf("%.3f\n", std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return 0;
}
