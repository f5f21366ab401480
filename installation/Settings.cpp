#include "Settings.h"

#include <windows.h>

namespace Settings {

std::string APPZ, SIZE, DIR, FILERAR, NFO, REG, SCRTXT, FILES, RegPath;

std::string ProgramDirectory() {
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string file(path, length);
    std::size_t end = file.find_last_of("\\:");
    return end == std::string::npos ? std::string() : file.substr(0, end + 1);
}

} // namespace Settings
