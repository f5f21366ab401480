#include "toolkit/Application.h"

#include "toolkit/Dialogs.h"
#include "toolkit/Form.h"

TApplication Application;

namespace {
constexpr char kWindowClass[] = "TApplication";
}

HWND TApplication::Handle() {
    if (!handle_) {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = WndProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hIcon = LoadIconA(windowClass.hInstance, "MAINICON");
        // The task bar shows the small one.
        windowClass.hIconSm =
            static_cast<HICON>(LoadImageA(windowClass.hInstance, "MAINICON", IMAGE_ICON,
                                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        windowClass.lpszClassName = kWindowClass;
        RegisterClassExA(&windowClass);
        // A zero-sized popup with a caption is the program's entry in the task bar.
        handle_ = CreateWindowExA(0, kWindowClass, title_.c_str(),
                                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                                  GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                                  nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    return handle_;
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    SetWindowTextA(Handle(), title_.c_str());
}

void TApplication::Run() {
    if (mainForm_) {
        ShowTaskBarEntry(true);
        mainForm_->Show();
    }
    while (!terminated_)
        HandleMessage();
    ShowTaskBarEntry(false);
}

void TApplication::Terminate() {
    // The loop ends when it takes the quit message, so that none is left to close the next box.
    PostQuitMessage(0);
}

void TApplication::HandleMessage() {
    MSG message;
    BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        terminated_ = true;
        return;
    }
    ProcessMessage(message);
}

void TApplication::ProcessMessages() {
    UINT remove = PM_REMOVE;
    if (GetTickCount() - paintedAt_ < kFrameMs)
        remove |= PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, remove)) {
        if (message.message == WM_QUIT) {
            terminated_ = true;
            return;
        }
        if (message.message == WM_PAINT)
            paintedAt_ = GetTickCount();
        ProcessMessage(message);
    }
}

void TApplication::ProcessMessage(MSG& message) {
    if (IsShortCut(message))
        return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

bool TApplication::IsShortCut(const MSG& message) {
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN && message.message != WM_SYSCHAR)
        return false;
    TForm* form = TForm::FromWindow(GetAncestor(message.hwnd, GA_ROOT));
    if (!form || GetActiveWindow() != form->Handle() || !IsWindowEnabled(form->Handle()))
        return false;
    try {
        // Alt and a button's letter presses it whichever control has the focus.
        if (message.message == WM_SYSCHAR)
            return form->DialogChar(static_cast<char>(message.wParam));
        return form->IsShortCut(static_cast<WORD>(message.wParam)) ||
               (message.message == WM_KEYDOWN && form->DialogKey(message));
    } catch (const std::exception& e) {
        ShowException(e);
        return true;
    }
}

void TApplication::ShowException(const std::exception& failure) {
    ShowMessageBox(failure.what(), title_, MB_OK | MB_ICONSTOP);
}

TApplication::HookId TApplication::HookMainWindow(Hook hook) {
    Handle();
    return hooks_.insert(hooks_.begin(), std::move(hook));
}

void TApplication::UnhookMainWindow(HookId id) {
    hooks_.erase(id);
}

UINT_PTR TApplication::StartTimer(UINT interval, std::function<void()> tick) {
    UINT_PTR id = nextTimer_++;
    timers_.emplace(id, std::move(tick));
    SetTimer(Handle(), id, interval, nullptr);
    return id;
}

void TApplication::StopTimer(UINT_PTR id) {
    if (handle_)
        KillTimer(handle_, id);
    timers_.erase(id);
}

LRESULT CALLBACK TApplication::WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        // A hook may unhook itself while it runs.
        for (auto it = Application.hooks_.begin(); it != Application.hooks_.end();) {
            auto hook = it++;
            LRESULT result = 0;
            if ((*hook)(message, wParam, lParam, result))
                return result;
        }
        if (Application.TaskBarMessage(message, wParam, lParam))
            return 0;
        if (message == WM_TIMER) {
            if (auto timer = Application.timers_.find(wParam); timer != Application.timers_.end()) {
                // A copy, as the tick may stop its own timer.
                auto tick = timer->second;
                tick();
            }
            return 0;
        }
    } catch (const std::exception& e) {
        Application.ShowException(e);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
