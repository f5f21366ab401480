// The few functions of the Windows shell, common controls and desktop composition the program uses: icons for
// the drive box and the folder list, a network drive's share, and opening a file or folder as Explorer would.
// They are bound on first use, since shell32 and mpr loaded with the program (and what they bring: ole32,
// rpcrt4…) lengthen its start while most runs need them late, if at all.
#pragma once

#include <windows.h>

#include <string>

// The shell's small icon for a path, for a folder as opened or closed; null when it has none.
HICON ShellSmallIcon(const char* path, bool opened = false);
// The share a network drive ("x:") is connected to; empty when it is none or cannot be told.
std::string NetworkShare(const char* drive);
// Opens a file with its registered program, or a folder in a window of its own.
void ShellOpen(const std::string& path);
// Registers the common controls' window classes (the progress bar, the tooltip) before the first of
// them is made. Their library, loaded with the program, made its start a tenth longer under Wine,
// though the main window shows none of them.
void CommonControlsNeeded();
// Whether the desktop is composed (from Windows 8 on always); false without dwmapi.
bool DesktopComposed();
// Takes a window's frame from the compositor, so that what the program paints there is seen, or
// gives it back.
void PaintFrameOurselves(HWND window, bool ours);
