// The twelve functions of midasdll.h, each one call into the library's state.
#include "Errors.h"
#include "Library.h"
#include "midasdll.h"

using music::Library;

MIDASboolean MIDAS_CALL MIDASstartup(void) {
    return Library::Instance().Startup();
}

MIDASboolean MIDAS_CALL MIDASinit(void) {
    return Library::Instance().Init();
}

// There is no polling rate to choose: the output's blocks set the pace.
MIDASboolean MIDAS_CALL MIDASstartBackgroundPlay(std::uint32_t) {
    return Library::Instance().StartBackgroundPlay();
}

MIDASboolean MIDAS_CALL MIDASstopBackgroundPlay(void) {
    return Library::Instance().StopBackgroundPlay();
}

MIDASboolean MIDAS_CALL MIDASclose(void) {
    return Library::Instance().Close();
}

MIDASmodule MIDAS_CALL MIDASloadModule(const char* fileName) {
    return Library::Instance().LoadModule(fileName);
}

MIDASboolean MIDAS_CALL MIDASgetModuleInfo(MIDASmodule module, MIDASmoduleInfo* info) {
    return Library::Instance().GetModuleInfo(module, info);
}

MIDASmodulePlayHandle MIDAS_CALL MIDASplayModule(MIDASmodule module, std::int32_t loopSong) {
    return Library::Instance().PlayModule(module, loopSong != 0);
}

MIDASboolean MIDAS_CALL MIDASstopModule(MIDASmodulePlayHandle playHandle) {
    return Library::Instance().StopModule(playHandle);
}

MIDASboolean MIDAS_CALL MIDASfreeModule(MIDASmodule module) {
    return Library::Instance().ReleaseModule(module);
}

std::int32_t MIDAS_CALL MIDASgetLastError(void) {
    return Library::Instance().LastError();
}

const char* MIDAS_CALL MIDASgetErrorMessage(std::int32_t errorCode) {
    return music::ErrorMessage(errorCode);
}
