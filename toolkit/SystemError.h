// A failure of the system reported with the system's own words, as the error box shows it.
#pragma once

#include "toolkit/Exception.h"

#include <windows.h>

class EInOutError : public Exception {
public:
    explicit EInOutError(DWORD code);
    DWORD Code() const { return code_; }

private:
    DWORD code_;
};

// The system's text for an error code, without its trailing line break.
std::string SystemErrorText(DWORD code);
