// The hook procedure of driver::RefusedWindowClass. The system loads this library into each process of
// the desktop that makes a window while the hook is set, so the class to refuse is read from shared
// memory named by the driver rather than from anything of the test's own process.
#include "tests/driver/Driver.h"

#include <cstring>

extern "C" __declspec(dllexport) LRESULT CALLBACK RefuseWindowClass(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        bool refused = false;
        if (HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, driver::kRefusedClassMemory)) {
            if (const auto* name = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0))) {
                char className[256] = {};
                refused = GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof className) &&
                          std::strcmp(className, name) == 0;
                UnmapViewOfFile(name);
            }
            CloseHandle(mapping);
        }
        // Not zero: the window is destroyed and its creation fails.
        if (refused)
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
