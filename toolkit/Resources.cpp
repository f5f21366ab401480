#include "toolkit/Resources.h"

#include "toolkit/Exception.h"

#include <windows.h>

std::string_view ResourceData(const std::string& name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name.c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        throw Exception("The program has no resource " + name);
    return {static_cast<const char*>(data), SizeofResource(module, found)};
}
