// The application object: title, main form, message loop and the window that owns the program's
// windows, stands for them in the task bar and receives messages posted to the application.
#pragma once

#include <exception>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>
#include <windows.h>

class TForm;

class TApplication {
public:
    // Made when first asked for, so that boxes shown before the forms exist have an owner.
    HWND Handle();

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);

    TForm* MainForm() const { return mainForm_; }

    // Makes a form; the first one made becomes the main form.
    template <class Form> void CreateForm(Form*& reference) {
        reference = new Form();
        if (!mainForm_)
            mainForm_ = reference;
    }

    // Shows the main form and dispatches messages until the application is terminated.
    void Run();
    // Ends the message loop once the messages already waiting are handled.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Waits for one message and dispatches it.
    void HandleMessage();
    // Dispatches every message waiting, then returns. Busy work calls it often; windows are painted
    // at most once a frame from here, since more would show nothing and a paint can cost as much as
    // the work between two calls. What is held back is painted by a later call or the idle loop.
    void ProcessMessages();

    // The least time between two paints of busy work: 40 a second, 32 on Windows, where
    // GetTickCount steps by 15.6 ms. Smooth to the eye, and each paint under Wine costs a
    // millisecond or two.
    static constexpr DWORD kFrameMs = 25;

    // The standard error box: the failure's message under the title, with the error icon.
    void ShowException(const std::exception& failure);

    // Hooks see every message of the hidden window first; a hook that returns true has handled it.
    using Hook = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    using HookId = std::list<Hook>::iterator;
    HookId HookMainWindow(Hook hook);
    void UnhookMainWindow(HookId id);

    // Timers tick through the hidden window.
    UINT_PTR StartTimer(UINT interval, std::function<void()> tick);
    void StopTimer(UINT_PTR id);

private:
    // The application's window as the program's task-bar entry: see TaskBar.cpp.
    void ShowTaskBarEntry(bool show);
    bool TaskBarMessage(UINT message, WPARAM wParam, LPARAM lParam);
    std::vector<HWND> ProgramWindows() const;
    void Minimize();
    void Restore();

    void ProcessMessage(MSG& message);
    bool IsShortCut(const MSG& message);
    static LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    std::string title_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    DWORD paintedAt_ = 0;
    std::list<Hook> hooks_;
    std::map<UINT_PTR, std::function<void()>> timers_;
    UINT_PTR nextTimer_ = 1;
    std::vector<HWND> minimized_;
};

extern TApplication Application;
