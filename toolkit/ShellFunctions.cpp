#include "toolkit/ShellFunctions.h"

#include <commctrl.h>
#include <dwmapi.h>
#include <shellapi.h>
#include <string>
#include <winnetwk.h>

namespace {

// A function of a system library, loaded at the first call and kept for the run; null when the
// library or the function is missing. The library is named with the system directory: by its bare
// name the search would begin in the program's folder, where a download folder may hold anything.
template <class Function> Function* SystemFunction(const char* library, const char* name) {
    char system[MAX_PATH] = {};
    UINT length = GetSystemDirectoryA(system, sizeof system);
    HMODULE module = length && length < sizeof system
                         ? LoadLibraryA((std::string(system, length) + "\\" + library).c_str())
                         : nullptr;
    FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(found));
}

} // namespace

HICON ShellSmallIcon(const char* path, bool opened) {
    static auto* get = SystemFunction<decltype(SHGetFileInfoA)>("shell32.dll", "SHGetFileInfoA");
    SHFILEINFOA info{};
    if (!get ||
        !get(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON | (opened ? SHGFI_OPENICON : 0)))
        return nullptr;
    return info.hIcon;
}

std::string NetworkShare(const char* drive) {
    static auto* get = SystemFunction<decltype(WNetGetConnectionA)>("mpr.dll", "WNetGetConnectionA");
    char remote[MAX_PATH + 1] = {};
    DWORD size = sizeof remote;
    if (!get || get(drive, remote, &size) != NO_ERROR)
        return {};
    return remote;
}

void ShellOpen(const std::string& path) {
    static auto* open = SystemFunction<decltype(ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    if (open)
        open(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CommonControlsNeeded() {
    static const bool registered = [] {
        auto* init = SystemFunction<decltype(InitCommonControlsEx)>("comctl32.dll", "InitCommonControlsEx");
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
        return init && init(&classes);
    }();
    (void)registered;
}

bool DesktopComposed() {
    static auto* composed =
        SystemFunction<decltype(DwmIsCompositionEnabled)>("dwmapi.dll", "DwmIsCompositionEnabled");
    BOOL on = FALSE;
    return composed && SUCCEEDED(composed(&on)) && on;
}

void PaintFrameOurselves(HWND window, bool ours) {
    static auto* set = SystemFunction<decltype(DwmSetWindowAttribute)>("dwmapi.dll", "DwmSetWindowAttribute");
    const DWMNCRENDERINGPOLICY policy = ours ? DWMNCRP_DISABLED : DWMNCRP_USEWINDOWSTYLE;
    if (set)
        set(window, DWMWA_NCRENDERING_POLICY, &policy, sizeof policy);
}
