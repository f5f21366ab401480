#include "installation/Settings.h"

#include "toolkit/Text.h"

#include <algorithm>
#include <windows.h>

namespace Settings {

#define KORVADEL_SETTING_VARIABLE(name, key, what) std::string name;
KORVADEL_SETTINGS(KORVADEL_SETTING_VARIABLE)
#undef KORVADEL_SETTING_VARIABLE
std::string RegPath;

std::string ProgramDirectory() {
    char path[MAX_PATH * 4];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string file(path, length);
    std::size_t end = FindLastChar(file, "\\:");
    return end == std::string::npos ? std::string() : file.substr(0, end + 1);
}

void Load() {
    LoadFrom(ProgramDirectory());
}

void LoadFrom(const std::string& directory) {
    const std::string file = directory + "install.ini";
#define KORVADEL_SETTING_ADDRESS(name, key, what) &name,
    std::string* const settings[] = {KORVADEL_SETTINGS(KORVADEL_SETTING_ADDRESS)};
#undef KORVADEL_SETTING_ADDRESS
    for (std::size_t i = 0; i < kCount; ++i) {
        std::string& setting = *settings[i];
        char value[kProfileBuffer];
        DWORD length = GetPrivateProfileStringA(kSection, kKeys[i], setting.c_str(), value, kProfileBuffer,
                                                file.c_str());
        setting.assign(value, std::min<std::size_t>(length, kMaxSetting));
    }
    RegPath = directory + REG;
}

} // namespace Settings
