// The application's window is the program's entry in the task bar and in the list of Alt+Tab: a
// visible window without an owner, titled with the application title, that owns every other window of
// the program. Having no size, it shows nothing itself: minimising it hides the program's windows,
// restoring it shows them again, and the focus it is given goes on to the window the user worked in.
#include "toolkit/Application.h"

#include "toolkit/Form.h"

namespace {

// Posted to the entry when it has the focus, which belongs to one of the windows it stands for.
constexpr UINT kPassFocus = WM_APP + 1;

// Along the owners, which GetAncestor follows only for popup windows.
HWND RootOwner(HWND window) {
    for (HWND owner; (owner = GetWindow(window, GW_OWNER)) != nullptr;)
        window = owner;
    return window;
}

struct ProgramSearch {
    HWND entry;
    std::vector<HWND> found;
};

// In z-order, the top one first.
BOOL CALLBACK CollectProgramWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ProgramSearch*>(data);
    if (window != search->entry && IsWindowVisible(window) && RootOwner(window) == search->entry)
        search->found.push_back(window);
    return TRUE;
}

} // namespace

void TApplication::ShowTaskBarEntry(bool show) {
    HWND entry = Handle();
    if (show) {
        // The program's windows are closed only by its own exit paths, and the entry has no size.
        HMENU menu = GetSystemMenu(entry, FALSE);
        for (UINT command : {SC_CLOSE, SC_MAXIMIZE, SC_SIZE, SC_MOVE})
            DeleteMenu(menu, command, MF_BYCOMMAND);
    }
    ShowWindow(entry, show ? SW_SHOWNOACTIVATE : SW_HIDE);
}

std::vector<HWND> TApplication::ProgramWindows() const {
    ProgramSearch search{handle_, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectProgramWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void TApplication::Minimize() {
    if (IsIconic(handle_))
        return;
    ShowWindow(handle_, SW_MINIMIZE);
    minimized_ = ProgramWindows();
    for (HWND window : minimized_)
        ShowWindow(window, SW_HIDE);
}

void TApplication::Restore() {
    // A form the program closed meanwhile stays closed, and a box that was answered is gone.
    for (auto window = minimized_.rbegin(); window != minimized_.rend(); ++window) {
        TForm* form = TForm::FromWindow(*window);
        if (IsWindow(*window) && (!form || form->Visible()))
            ShowWindow(*window, SW_SHOWNOACTIVATE);
    }
    minimized_.clear();
    ShowWindow(handle_, SW_RESTORE);
    PostMessageA(handle_, kPassFocus, 0, 0);
}

bool TApplication::TaskBarMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            Minimize();
            return true;
        case SC_RESTORE:
            Restore();
            return true;
        case SC_CLOSE:
        case SC_MAXIMIZE:
            return true;
        }
        return false;
    case WM_CLOSE:
        return true;
    case WM_SETFOCUS:
        PostMessageA(handle_, kPassFocus, 0, 0);
        return false;
    case kPassFocus: {
        if (IsIconic(handle_) || GetActiveWindow() != handle_)
            return true;
        // The window on top that takes input: a modal dialog over the forms it disables, a box over its
        // owner.
        for (HWND window : ProgramWindows())
            if (IsWindowEnabled(window) && !(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
                SetActiveWindow(window);
                break;
            }
        return true;
    }
    }
    return false;
}
