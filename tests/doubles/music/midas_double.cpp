// A stand-in for the music library: a test says what each call returns and reads back what was called.
//
// Results come from "<path of this DLL>.ini", e.g. install.dll.ini beside it, read afresh on every call:
//   [results]  one key per function name, e.g. MIDASinit=0; the value (decimal) is returned as
//              is, so MIDASinit=256 gives a result whose lowest byte is zero. Absent: boolean functions
//              return 1, MIDASloadModule a new module 1, 2, 3... and MIDASplayModule a new play handle
//              1, 2, 3..., both counted per process.
//   [error]    code (returned by MIDASgetLastError, default 7) and message (by MIDASgetErrorMessage,
//              default "The double was told to fail").
// A missing or unreadable file, a missing key or a value that is not a number means the default.
// A null file name or info record fails whatever the file says.
//
// Each call appends one line to "<path of this DLL>.log" before it returns, the file opened and closed
// each time so that nothing is lost when the program ends its process right after. A line holds the call
// only, as MIDASplayModule(1,1) or MIDASloadModule("install.dat"): numbers in decimal without spaces, the
// file name verbatim between quotes or NULL, the info record left out, and "\n" at the end.
//
// MIDASstartup and MIDASclose, the program's first and last calls, also append the process's error
// mode (GetErrorMode, decimal) as a line to "<path of this DLL>.errormode".
#include "midasdll.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

HMODULE self;
std::atomic<MIDASmodule> lastModule{0};
std::atomic<MIDASmodulePlayHandle> lastPlayHandle{0};
// The program may read the message after the call has returned.
char errorMessage[512];

std::string besideSelf(const char* extension) {
    char path[4096];
    DWORD length = GetModuleFileNameA(self, path, sizeof path);
    return std::string(path, length) + extension;
}

// Opened and closed for each line, so that nothing is lost when the program ends its process.
void appendLine(const char* extension, const std::string& text) {
    std::string line = text + "\n";
    HANDLE file =
        CreateFileA(besideSelf(extension).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written;
    WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
    CloseHandle(file);
}

void record(const std::string& call) {
    appendLine(".log", call);
}

std::optional<long long> setting(const char* section, const char* key) {
    char text[64];
    GetPrivateProfileStringA(section, key, "", text, sizeof text, besideSelf(".ini").c_str());
    char* end;
    long long value = std::strtoll(text, &end, 10);
    if (end == text)
        return std::nullopt;
    return value;
}

void recordErrorMode() {
    appendLine(".errormode", std::to_string(GetErrorMode()));
}

MIDASboolean answer(const char* function, const std::string& arguments = "") {
    record(function + ("(" + arguments + ")"));
    return MIDASboolean(setting("results", function).value_or(1));
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

MIDASboolean MIDAS_CALL MIDASstartup(void) {
    recordErrorMode();
    return answer("MIDASstartup");
}

MIDASboolean MIDAS_CALL MIDASinit(void) {
    return answer("MIDASinit");
}

MIDASboolean MIDAS_CALL MIDASstopBackgroundPlay(void) {
    return answer("MIDASstopBackgroundPlay");
}

MIDASboolean MIDAS_CALL MIDASclose(void) {
    recordErrorMode();
    return answer("MIDASclose");
}

MIDASboolean MIDAS_CALL MIDASstartBackgroundPlay(std::uint32_t pollRate) {
    return answer("MIDASstartBackgroundPlay", std::to_string(pollRate));
}

MIDASmodule MIDAS_CALL MIDASloadModule(const char* fileName) {
    record("MIDASloadModule(" + (fileName ? "\"" + std::string(fileName) + "\"" : std::string("NULL")) + ")");
    if (!fileName)
        return 0;
    if (auto value = setting("results", "MIDASloadModule"))
        return MIDASmodule(*value);
    return ++lastModule;
}

MIDASboolean MIDAS_CALL MIDASgetModuleInfo(MIDASmodule module, MIDASmoduleInfo* info) {
    MIDASboolean result = answer("MIDASgetModuleInfo", std::to_string(module));
    if (!info)
        return 0;
    if (MIDASok(result)) {
        *info = {};
        std::snprintf(info->name, sizeof info->name, "Korvadel double %u", module);
        info->length = 11;
        info->patterns = 22;
        info->channels = 4;
        info->instruments = 31;
    }
    return result;
}

MIDASmodulePlayHandle MIDAS_CALL MIDASplayModule(MIDASmodule module, std::int32_t loopSong) {
    record("MIDASplayModule(" + std::to_string(module) + "," + std::to_string(loopSong) + ")");
    if (auto value = setting("results", "MIDASplayModule"))
        return MIDASmodulePlayHandle(*value);
    return ++lastPlayHandle;
}

MIDASboolean MIDAS_CALL MIDASstopModule(MIDASmodulePlayHandle playHandle) {
    return answer("MIDASstopModule", std::to_string(playHandle));
}

MIDASboolean MIDAS_CALL MIDASfreeModule(MIDASmodule module) {
    return answer("MIDASfreeModule", std::to_string(module));
}

std::int32_t MIDAS_CALL MIDASgetLastError(void) {
    record("MIDASgetLastError()");
    return std::int32_t(setting("error", "code").value_or(7));
}

const char* MIDAS_CALL MIDASgetErrorMessage(std::int32_t errorCode) {
    record("MIDASgetErrorMessage(" + std::to_string(errorCode) + ")");
    GetPrivateProfileStringA("error", "message", "The double was told to fail", errorMessage,
                             sizeof errorMessage, besideSelf(".ini").c_str());
    return errorMessage;
}
