// The module-music library's functions, as the program and install.dll both see them.
// Every function uses the stdcall convention and is exported undecorated.
#pragma once

#include <cstdint>

#if defined(INSTALL_DLL_BUILD)
#define MIDAS_API extern "C" __declspec(dllexport)
#else
#define MIDAS_API extern "C" __declspec(dllimport)
#endif
#define MIDAS_CALL __stdcall

// A boolean result counts as true when its lowest byte is non-zero.
using MIDASboolean = std::int32_t;
using MIDASmodule = std::uint32_t;           // 0 = none
using MIDASmodulePlayHandle = std::uint32_t; // 0 = none

inline bool MIDASok(MIDASboolean result) {
    return (result & 0xFF) != 0;
}

// Filled by MIDASgetModuleInfo; the program only asks whether it could be filled.
struct MIDASmoduleInfo {
    char name[32];
    std::uint32_t length; // entries in the order list
    std::uint32_t patterns;
    std::uint32_t channels;
    std::uint32_t instruments;
};
static_assert(sizeof(MIDASmoduleInfo) == 48);

MIDAS_API MIDASboolean MIDAS_CALL MIDASstartup(void);
MIDAS_API MIDASboolean MIDAS_CALL MIDASinit(void);
MIDAS_API MIDASboolean MIDAS_CALL MIDASstartBackgroundPlay(std::uint32_t pollRate);
MIDAS_API MIDASboolean MIDAS_CALL MIDASstopBackgroundPlay(void);
MIDAS_API MIDASboolean MIDAS_CALL MIDASclose(void);
MIDAS_API MIDASmodule MIDAS_CALL MIDASloadModule(const char* fileName);
MIDAS_API MIDASboolean MIDAS_CALL MIDASgetModuleInfo(MIDASmodule module, MIDASmoduleInfo* info);
MIDAS_API MIDASmodulePlayHandle MIDAS_CALL MIDASplayModule(MIDASmodule module, std::int32_t loopSong);
MIDAS_API MIDASboolean MIDAS_CALL MIDASstopModule(MIDASmodulePlayHandle playHandle);
MIDAS_API MIDASboolean MIDAS_CALL MIDASfreeModule(MIDASmodule module);
MIDAS_API std::int32_t MIDAS_CALL MIDASgetLastError(void);
MIDAS_API const char* MIDAS_CALL MIDASgetErrorMessage(std::int32_t errorCode);
