// How a test asks a form of the program what it shows: it sends the registered message below with
// the window to answer to as wParam; the form answers with WM_COPYDATA carrying the marker and one
// line per component of "key=value" pairs separated by tabs; values escape backslash, tab and line
// ends as \\ \t \n \r. A window that does not take the answer within kInspectionReplyMs gets none.
#pragma once

#include <windows.h>

constexpr char kInspectMessage[] = "KorvadelInspect";
// "KVIN"
constexpr ULONG_PTR kInspectionMarker = 0x4B56494E;
// Long enough for a busy asker, short enough that the program's one thread is not missed.
constexpr UINT kInspectionReplyMs = 1000;
