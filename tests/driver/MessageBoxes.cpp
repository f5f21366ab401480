#include "tests/driver/Driver.h"

#include <stdexcept>

namespace driver {

static const char* const DialogClass = "#32770";

static bool IsMessageBox(HWND hwnd, const char* caption) {
    return ClassName(hwnd) == DialogClass && WindowText(hwnd) == caption;
}

static std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

static MessageBoxWindow Read(HWND hwnd) {
    MessageBoxWindow box;
    box.hwnd = hwnd;
    for (HWND child : Children(hwnd)) {
        if (ClassName(child) != "Static" || !IsWindowVisible(child))
            continue;
        // A box without an icon may still have the icon's control, but nothing shown in it.
        if ((Style(child) & SS_TYPEMASK) == SS_ICON)
            box.hasIcon = box.hasIcon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
        else if (box.text.empty())
            box.text = WindowText(child);
    }
    return box;
}

MessageBoxWindow WaitMessageBox(DWORD pid, const char* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND hwnd : TopWindows(pid)) {
                if (IsMessageBox(hwnd, caption)) {
                    found = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    if (!found)
        throw std::runtime_error("process " + std::to_string(pid) + " showed no message box \"" + caption +
                                 "\" within " + std::to_string(timeoutMs) + " ms");
    return Read(found);
}

int CountMessageBoxes(DWORD pid, const char* caption) {
    int count = 0;
    for (HWND hwnd : TopWindows(pid))
        count += IsMessageBox(hwnd, caption);
    return count;
}

void PressOk(HWND messageBox) {
    HWND ok = GetDlgItem(messageBox, IDOK);
    if (!ok)
        throw std::runtime_error("message box \"" + WindowText(messageBox) + "\" has no OK button");
    // The command works whether or not the box is active; BM_CLICK goes through mouse capture.
    PostMessageA(messageBox, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    if (!WaitUntil([messageBox] { return !IsWindow(messageBox); }, 5000))
        throw std::runtime_error("message box \"" + WindowText(messageBox) + "\" stayed open after OK");
}

} // namespace driver
