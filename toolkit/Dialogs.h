// Message boxes of the program: modal over all of its windows and centred on the screen.
#pragma once

#include <string>
#include <vector>
#include <windows.h>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned { mbOK = 1, mbCancel = 2 };
using TMsgDlgButtons = unsigned;

// OK alone is both the default and the cancel button. With Cancel beside it, OK stays the default and
// Escape and the close box answer Cancel. Returns the button that ended the box.
TMsgDlgBtn MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);

// A system message box owned by the active window of the program (or the application window),
// with every other window of the program disabled while it is up. Returns the box's result.
int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags);

// Disables the program's visible, enabled top-level windows except one; the destructor enables
// them again. Used by every modal window.
class DisabledWindows {
public:
    explicit DisabledWindows(HWND except);
    DisabledWindows(const DisabledWindows&) = delete;
    DisabledWindows& operator=(const DisabledWindows&) = delete;
    ~DisabledWindows();

private:
    static BOOL CALLBACK Disable(HWND window, LPARAM self);
    HWND except_;
    std::vector<HWND> windows_;
};
