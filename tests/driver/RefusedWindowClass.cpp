#include "tests/driver/Driver.h"

#include <cstring>
#include <stdexcept>

namespace driver {

RefusedWindowClass::RefusedWindowClass(const std::string& className) {
    std::string path = BinPath(kRefusalLibrary);
    auto fail = [this](const std::string& what) {
        std::string message = what + " (error " + std::to_string(GetLastError()) + ")";
        Release();
        throw std::runtime_error(message);
    };
    name = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                              static_cast<DWORD>(className.size() + 1), kRefusedClassMemory);
    void* view = name ? MapViewOfFile(name, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
    if (!view)
        fail(std::string("cannot share the memory ") + kRefusedClassMemory);
    std::memcpy(view, className.c_str(), className.size() + 1);
    UnmapViewOfFile(view);
    library = LoadLibraryA(path.c_str());
    auto procedure =
        library ? reinterpret_cast<HOOKPROC>(GetProcAddress(library, "RefuseWindowClass")) : nullptr;
    if (!procedure)
        fail("cannot load RefuseWindowClass from " + path);
    hook = SetWindowsHookExA(WH_CBT, procedure, library, 0);
    if (!hook)
        fail("cannot hook the making of windows");
}

RefusedWindowClass::~RefusedWindowClass() {
    Release();
}

void RefusedWindowClass::Release() {
    if (hook)
        UnhookWindowsHookEx(hook);
    if (library)
        FreeLibrary(library);
    if (name)
        CloseHandle(name);
    hook = nullptr;
    library = nullptr;
    name = nullptr;
}

} // namespace driver
