// The installer settings: eight texts from install.ini beside the program, written once while the
// main window is created and only read afterwards.
#pragma once

#include <string>

namespace Settings {

extern std::string APPZ;    // product name, the main window's status line
extern std::string SIZE;    // megabytes the product needs
extern std::string DIR;     // directory name proposed by the make-directory dialog
extern std::string FILERAR; // the archive's first volume, beside the program
extern std::string NFO;     // the information file, beside the program
extern std::string REG;     // the registry file handed to the shell, or "NONE"
extern std::string SCRTXT;  // the scrolling line's text
extern std::string FILES;   // number of volumes of the archive
extern std::string RegPath; // program directory + REG

// The directory of the program file, up to and including its last backslash.
std::string ProgramDirectory();

// Reads install.ini from the program directory into the settings, in the order of kKeys, and forms
// RegPath. Nothing is reported: what cannot be read stays empty.
void Load();
// The same from install.ini in a directory given with its trailing backslash.
void LoadFrom(const std::string& directory);

} // namespace Settings
