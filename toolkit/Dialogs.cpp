#include "toolkit/Dialogs.h"

#include "toolkit/Application.h"

namespace {

HHOOK centringHook = nullptr;

// The box is placed by the system relative to its owner; ours sit in the middle of the screen.
LRESULT CALLBACK CentreOnScreen(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wParam);
        RECT r;
        GetWindowRect(box, &r);
        int width = r.right - r.left, height = r.bottom - r.top;
        SetWindowPos(box, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        UnhookWindowsHookEx(centringHook);
        centringHook = nullptr;
        return 0;
    }
    return CallNextHookEx(centringHook, code, wParam, lParam);
}

} // namespace

DisabledWindows::DisabledWindows(HWND except) : except_(except) {
    EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK DisabledWindows::Disable(HWND window, LPARAM self) {
    auto* list = reinterpret_cast<DisabledWindows*>(self);
    // The task-bar entry stays enabled: it passes the focus on to the window on top, and when a dialog
    // closes with no other window of the program enabled, the focus stays with the program through it.
    if (window == list->except_ || window == Application.Handle() || !IsWindowVisible(window) ||
        !IsWindowEnabled(window))
        return TRUE;
    list->windows_.push_back(window);
    EnableWindow(window, FALSE);
    return TRUE;
}

DisabledWindows::~DisabledWindows() {
    for (HWND window : windows_)
        if (IsWindow(window))
            EnableWindow(window, TRUE);
}

int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags) {
    HWND owner = GetActiveWindow();
    if (!owner)
        owner = Application.Handle();
    // The box disables its owner itself and gives it the focus back when it closes.
    DisabledWindows disabled(owner);
    if (!centringHook)
        centringHook = SetWindowsHookExA(WH_CBT, CentreOnScreen, nullptr, GetCurrentThreadId());
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

TMsgDlgBtn MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    static const struct {
        const char* caption;
        UINT icon;
    } kinds[] = {
        {"Warning", MB_ICONWARNING},
        {"Error", MB_ICONERROR},
        {"Information", MB_ICONINFORMATION},
        {"Confirm", MB_ICONQUESTION},
        {nullptr, 0},
    };
    const auto& kind = kinds[type];
    UINT shown = (buttons & mbCancel) ? MB_OKCANCEL : MB_OK;
    int result = ShowMessageBox(text, kind.caption ? kind.caption : Application.Title(), shown | kind.icon);
    return result == IDCANCEL ? mbCancel : mbOK;
}
