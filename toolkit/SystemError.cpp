#include "toolkit/SystemError.h"

std::string SystemErrorText(DWORD code) {
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' || text[length - 1] == ' '))
        --length;
    if (length == 0)
        return "System error " + std::to_string(code);
    return std::string(text, length);
}
