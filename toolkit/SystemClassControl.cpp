#include "toolkit/SystemClassControl.h"

#include "toolkit/Exception.h"
#include "toolkit/Properties.h"

#include <algorithm>
#include <cstring>

TSystemClassControl::TSystemClassControl() {
    color_ = clWindow;
}

TSystemClassControl::~TSystemClassControl() {
    DestroyHandle();
}

void TSystemClassControl::CreateHandle() {
    if (!parent_)
        throw Exception(Name + " has no parent window");
    // Making the parent's window makes its children's, this one's included.
    HWND parentWindow = parent_->Handle();
    if (handle_)
        return;
    CreateParams params;
    params.style = WS_CHILD | WS_CLIPSIBLINGS | (visible_ ? WS_VISIBLE : 0) | (enabled_ ? 0 : WS_DISABLED) |
                   (TabStop ? WS_TABSTOP : 0);
    FillCreateParams(params);
    const bool button = lstrcmpiA(params.className, "BUTTON") == 0;
    clicksItself_ = button;
    // A button or a static is drawn on its parent's background, not in a box of its own.
    if (!colorChosen_ && (button || lstrcmpiA(params.className, "STATIC") == 0))
        color_ = parent_->Color();
    // Its place among the parent's controls is its identifier, for the messages that carry only that.
    const std::vector<TControl*>& siblings = parent_->Controls();
    UINT_PTR id = std::ranges::find(siblings, this) - siblings.begin() + 1;
    HWND window = nullptr;
    unicode_ = params.unicode;
    if (unicode_) {
        std::wstring className(params.className, params.className + strlen(params.className));
        window = CreateWindowExW(params.exStyle, className.c_str(), L"", params.style, left_, top_, width_,
                                 height_, parentWindow, reinterpret_cast<HMENU>(id),
                                 GetModuleHandleA(nullptr), nullptr);
    } else
        window =
            CreateWindowExA(params.exStyle, params.className, "", params.style, left_, top_, width_, height_,
                            parentWindow, reinterpret_cast<HMENU>(id), GetModuleHandleA(nullptr), nullptr);
    if (!window)
        throw Exception("Cannot create the control " + Name);
    // Subclassed through the same API that made it, so that its text is never narrowed on the way.
    auto setProc = unicode_ ? SetWindowLongPtrW : SetWindowLongPtrA;
    classProc_ =
        reinterpret_cast<WNDPROC>(setProc(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StandardWndProc)));
    Attach(window);
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font.Handle()), FALSE);
    HandleCreated();
}

LRESULT TSystemClassControl::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return (unicode_ ? CallWindowProcW : CallWindowProcA)(classProc_, handle_, message, wParam, lParam);
}

LRESULT TSystemClassControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
        clicked_ = !clicksItself_;
        break;
    case WM_LBUTTONUP: {
        LRESULT result = DefaultProc(message, wParam, lParam);
        RECT client;
        GetClientRect(handle_, &client);
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        bool click = clicked_ && PtInRect(&client, point);
        clicked_ = false;
        if (click)
            Click();
        return result;
    }
    case WM_GETDLGCODE:
        if (WantTabs)
            return DefaultProc(message, wParam, lParam) | DLGC_WANTTAB;
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

bool TSystemClassControl::Notify(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
    if (message == WM_COMMAND && clicksItself_ && HIWORD(wParam) == BN_CLICKED) {
        Click();
        result = 0;
        return true;
    }
    if (message != WM_CTLCOLOREDIT && message != WM_CTLCOLORSTATIC && message != WM_CTLCOLORLISTBOX &&
        message != WM_CTLCOLORBTN && message != WM_CTLCOLORSCROLLBAR)
        return false;
    // The control's own colours, resolved now so that system colours follow the user's scheme.
    HDC dc = reinterpret_cast<HDC>(wParam);
    COLORREF back = ColorToRGB(color_);
    SetTextColor(dc, ColorToRGB(Font.Color()));
    SetBkColor(dc, back);
    if (!background_ || backgroundColor_ != back) {
        background_ = Brush(CreateSolidBrush(back));
        backgroundColor_ = back;
    }
    result = reinterpret_cast<LRESULT>(background_.Get());
    return true;
}

void TSystemClassControl::SetBounds(int left, int top, int width, int height) {
    TWinControl::SetBounds(left, top, width, height);
    if (handle_)
        MoveWindow(handle_, left_, top_, width_, height_, TRUE);
}

void TSystemClassControl::SetVisible(bool visible) {
    visible_ = visible;
    if (handle_)
        ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
}

void TSystemClassControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (handle_)
        EnableWindow(handle_, enabled);
}

void TSystemClassControl::SetFocus() {
    ::SetFocus(Handle());
}

void TSystemClassControl::FontChanged() {
    if (handle_)
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font.Handle()), TRUE);
}

void TSystemClassControl::Invalidate() {
    if (handle_)
        InvalidateRect(handle_, nullptr, TRUE);
}

void TSystemClassControl::Properties(PropertyWalk& walk) {
    TWinControl::Properties(walk);
    static constexpr Property<TSystemClassControl> properties[] = {
        {"TabOrder", as::Int<&TSystemClassControl::TabOrder>},
        {"WantTabs", as::Bool<&TSystemClassControl::WantTabs>},
    };
    walk(*this, properties);
}
