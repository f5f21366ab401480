#pragma once

// Reads install.ini from the program directory into the installer settings and forms RegPath.
// Nothing is reported: what cannot be read stays empty.
void LoadSettings();
