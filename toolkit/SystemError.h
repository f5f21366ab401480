// A failure of the system reported with the system's own words, as the error box shows it.
#pragma once

#include "toolkit/Exception.h"

#include <windows.h>

// The system's text for an error code, without its trailing line break.
std::string SystemErrorText(DWORD code);

class EInOutError : public Exception {
public:
    explicit EInOutError(DWORD code) : Exception(SystemErrorText(code)) {}
};
