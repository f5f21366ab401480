#include "Errors.h"

namespace music {

const char* ErrorMessage(std::int32_t code) {
    switch (ErrorCode(code)) {
    case ErrorCode::None:
        return "No error";
    case ErrorCode::NotInitialised:
        return "The music library has not been initialised";
    case ErrorCode::AlreadyInitialised:
        return "The music library is already initialised";
    case ErrorCode::BackgroundPlayRunning:
        return "Background playing is already running";
    case ErrorCode::BackgroundPlayNotRunning:
        return "Background playing is not running";
    case ErrorCode::FileNotFound:
        return "The module file was not found";
    case ErrorCode::FileUnreadable:
        return "The module file could not be read";
    case ErrorCode::UnknownFormat:
        return "The file is not a module in a format the music library knows";
    case ErrorCode::DamagedModule:
        return "The module file is damaged or incomplete";
    case ErrorCode::OutOfMemory:
        return "Not enough memory";
    case ErrorCode::BadModuleHandle:
        return "Invalid module handle";
    case ErrorCode::BadPlayHandle:
        return "Invalid play handle";
    case ErrorCode::NoOutput:
        return "The sound output could not be started";
    case ErrorCode::InvalidArgument:
        return "Invalid argument";
    case ErrorCode::CaptureUnwritable:
        return "The capture file named by INSTALL_DLL_CAPTURE could not be written";
    case ErrorCode::PlayerFailure:
        return "The module could not be started";
    }
    return "Unknown error";
}

} // namespace music
