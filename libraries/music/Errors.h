// What went wrong in the last failed call, as MIDASgetLastError reports it.
#pragma once

#include <cstdint>

namespace music {

enum class ErrorCode : std::int32_t {
    None = 0,
    NotInitialised = 1,
    AlreadyInitialised = 2,
    BackgroundPlayRunning = 3,
    BackgroundPlayNotRunning = 4,
    FileNotFound = 5,
    FileUnreadable = 6,
    UnknownFormat = 7,
    DamagedModule = 8,
    OutOfMemory = 9,
    BadModuleHandle = 10,
    BadPlayHandle = 11,
    NoOutput = 12,
    InvalidArgument = 13,
    CaptureUnwritable = 14,
    PlayerFailure = 15,
};

// Thrown inside the library and turned into the last error at the exported boundary.
struct Failure {
    ErrorCode code;
};

// The English text of a code; a text of its own for codes the library never gives.
const char* ErrorMessage(std::int32_t code);

} // namespace music
