#include "LoadSettings.h"

#include "Settings.h"

#include <algorithm>
#include <windows.h>

namespace {
constexpr std::size_t kMaxSetting = 250;
constexpr DWORD kProfileBuffer = 2048;
} // namespace

void LoadSettings() {
    LoadSettingsFrom(Settings::ProgramDirectory());
}

void LoadSettingsFrom(const std::string& directory) {
    const std::string file = directory + "install.ini";
    const struct {
        const char* key;
        std::string& setting;
    } keys[] = {
        {"APPZ......", Settings::APPZ},    {"SIZE......", Settings::SIZE},  {"DIR.......", Settings::DIR},
        {"FILERAR...", Settings::FILERAR}, {"NFO.......", Settings::NFO},   {"REG.......", Settings::REG},
        {"SCRTXT....", Settings::SCRTXT},  {"FILES.....", Settings::FILES},
    };
    for (const auto& [key, setting] : keys) {
        char value[kProfileBuffer];
        DWORD length =
            GetPrivateProfileStringA("OPTIONS", key, setting.c_str(), value, kProfileBuffer, file.c_str());
        setting.assign(value, std::min<std::size_t>(length, kMaxSetting));
    }
    Settings::RegPath = directory + Settings::REG;
}
