#pragma once

#include <string>

// Reads install.ini from the program directory into the installer settings and forms RegPath.
// Nothing is reported: what cannot be read stays empty.
void LoadSettings();

// The same from install.ini in a directory given with its trailing backslash.
void LoadSettingsFrom(const std::string& directory);
