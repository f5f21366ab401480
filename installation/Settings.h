// The installer settings: the texts of install.ini beside the program, written once while the
// main window is created and only read afterwards.
#pragma once

#include "installation/SettingKeys.h"

#include <string>

namespace Settings {

#define KORVADEL_SETTING_VARIABLE(name, key, what) extern std::string name;
KORVADEL_SETTINGS(KORVADEL_SETTING_VARIABLE)
#undef KORVADEL_SETTING_VARIABLE
extern std::string RegPath; // program directory + REG

// The directory of the program file, up to and including its last backslash.
std::string ProgramDirectory();

// Reads install.ini from the program directory into the settings, in the order of kKeys, and forms
// RegPath. Nothing is reported: what cannot be read stays empty.
void Load();
// The same from install.ini in a directory given with its trailing backslash.
void LoadFrom(const std::string& directory);

} // namespace Settings
