#include "tests/driver/Driver.h"

#include <stdexcept>

namespace driver {

namespace {

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisibleWindow(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search->pid && IsWindowVisible(hwnd))
        search->found.push_back(hwnd);
    return TRUE;
}

} // namespace

std::vector<HWND> TopWindows(DWORD pid) {
    WindowSearch search{pid, {}};
    EnumWindows(CollectVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND hwnd) {
    int length = GetWindowTextLengthA(hwnd);
    std::string text(length + 1, '\0');
    text.resize(GetWindowTextA(hwnd, text.data(), length + 1));
    return text;
}

std::string ClassName(HWND hwnd) {
    char name[256];
    return std::string(name, GetClassNameA(hwnd, name, sizeof name));
}

SIZE ClientSize(HWND hwnd) {
    RECT client = {};
    GetClientRect(hwnd, &client);
    return {client.right, client.bottom};
}

DWORD Style(HWND hwnd) {
    return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
}

std::string Describe(HWND hwnd) {
    return "[" + ClassName(hwnd) + " \"" + WindowText(hwnd) + "\"]";
}

HWND FocusOf(HWND hwnd) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) ? info.hwndFocus : nullptr;
}

static bool HasExited(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process)
        return true;
    bool exited = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return exited;
}

HWND WaitWindow(DWORD pid, const char* className, const char* title, DWORD timeoutMs) {
    HWND found = nullptr;
    bool exited = false;
    WaitUntil(
        [&] {
            // Read before looking, so that windows shown just before the exit are still found.
            exited = HasExited(pid);
            for (HWND hwnd : TopWindows(pid)) {
                if ((!className || ClassName(hwnd) == className) && (!title || WindowText(hwnd) == title)) {
                    found = hwnd;
                    return true;
                }
            }
            return exited;
        },
        timeoutMs);
    if (found)
        return found;
    std::string awaited = std::string("a window of class ") + (className ? className : "(any)") + " titled " +
                          (title ? std::string("\"") + title + "\"" : "(any)");
    if (exited)
        throw std::runtime_error("process " + std::to_string(pid) + " exited without showing " + awaited);
    std::string shown;
    for (HWND hwnd : TopWindows(pid))
        shown += " " + Describe(hwnd);
    throw std::runtime_error("process " + std::to_string(pid) + " showed no " + awaited + " within " +
                             std::to_string(timeoutMs) +
                             " ms; it shows:" + (shown.empty() ? " nothing" : shown));
}

} // namespace driver
