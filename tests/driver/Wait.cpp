#include "tests/driver/Driver.h"

namespace driver {

bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (predicate())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return false;
        Sleep(20);
    }
}

} // namespace driver
