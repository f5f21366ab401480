// Controls with a window of their own, made from one of the system's window classes and placed on a
// form: they take the keyboard focus, paint themselves and report to the form through messages.
#pragma once

#include "toolkit/Control.h"

struct CreateParams {
    const char* className = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    // A window of the wide-character API, for text beyond the ANSI code page.
    bool unicode = false;
};

class TSystemClassControl : public TWinControl {
public:
    TSystemClassControl();
    ~TSystemClassControl() override;

    int TabOrder = -1;
    bool TabStop = true;
    // Keeps the Tab key instead of letting it move the focus on.
    bool WantTabs = false;

    void SetBounds(int left, int top, int width, int height) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void SetFocus();

    // Messages the parent receives about this control, reflected here by the form: WM_COMMAND,
    // WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_HSCROLL, WM_VSCROLL and WM_CTLCOLOR*. True when
    // handled, with the result. This one clicks a button-class control on BN_CLICKED and answers
    // the colour messages with the control's colours.
    virtual bool Notify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    void Properties(PropertyWalk& walk) override;

protected:
    virtual void FillCreateParams(CreateParams& params) = 0;
    // Runs once the window exists, to hand it the state kept so far.
    virtual void HandleCreated() {}
    void CreateHandle() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void FontChanged() override;
    void Invalidate() override;

private:
    WNDPROC classProc_ = nullptr;
    bool unicode_ = false;
    // A button says when it is clicked, by mouse or keyboard; other classes are clicked by the mouse.
    bool clicksItself_ = false;
    Brush background_;
    COLORREF backgroundColor_ = 0;
};
