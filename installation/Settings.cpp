#include "installation/Settings.h"

#include "installation/SettingKeys.h"
#include "toolkit/Text.h"

#include <algorithm>
#include <windows.h>

namespace Settings {

std::string APPZ, SIZE, DIR, FILERAR, NFO, REG, SCRTXT, FILES, RegPath;

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
    std::string* const settings[] = {&APPZ, &SIZE, &DIR, &FILERAR, &NFO, &REG, &SCRTXT, &FILES};
    static_assert(std::size(settings) == kKeys.size());
    for (std::size_t i = 0; i < kKeys.size(); ++i) {
        std::string& setting = *settings[i];
        char value[kProfileBuffer];
        DWORD length = GetPrivateProfileStringA(kSection, kKeys[i], setting.c_str(), value, kProfileBuffer,
                                                file.c_str());
        setting.assign(value, std::min<std::size_t>(length, kMaxSetting));
    }
    RegPath = directory + REG;
}

} // namespace Settings
