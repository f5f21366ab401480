#include "toolkit/Form.h"

#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "toolkit/InspectionProtocol.h"
#include "toolkit/Menu.h"
#include "toolkit/Properties.h"
#include "toolkit/ShellFunctions.h"
#include "toolkit/SystemClassControl.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

// The task-bar entry only hands the focus on: focus that comes through it comes from outside.
bool IsOurWindow(HWND window) {
    return window != Application.Handle() && TWinControl::IsProgramWindow(window);
}

// Whether the focus last went from one of our windows to another of ours.
bool focusStaysInProgram = false;

TShiftState ShiftFromKeys(WPARAM keys) {
    static constexpr std::pair<WPARAM, TShiftState> kKeys[] = {{MK_SHIFT, ssShift},
                                                               {MK_CONTROL, ssCtrl},
                                                               {MK_LBUTTON, ssLeft},
                                                               {MK_RBUTTON, ssRight},
                                                               {MK_MBUTTON, ssMiddle}};
    // A mouse message does not carry the Alt key.
    TShiftState shift = GetKeyState(VK_MENU) < 0 ? TShiftState{ssAlt} : 0;
    for (auto [key, flag] : kKeys)
        if (keys & key)
            shift |= flag;
    return shift;
}

// A border style's window styles, and whether the system menu brings minimise and maximise boxes.
struct BorderLook {
    DWORD style;
    DWORD exStyle;
    bool boxes;
};
constexpr BorderLook kBorderLooks[] = {
    {WS_POPUP, 0, false},                                                   // bsNone
    {WS_CAPTION | WS_BORDER, 0, true},                                      // bsSingle
    {WS_CAPTION | WS_THICKFRAME, 0, true},                                  // bsSizeable
    {WS_POPUP | WS_CAPTION, WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE, false}, // bsDialog
    {WS_CAPTION | WS_BORDER, WS_EX_TOOLWINDOW, false},                      // bsToolWindow
    {WS_CAPTION | WS_THICKFRAME, WS_EX_TOOLWINDOW, false},                  // bsSizeToolWin
};

} // namespace

TForm::TForm(const std::string& className) {
    ClassName = className;
    visible_ = false;
}

TForm* TForm::FromWindow(HWND window) {
    return dynamic_cast<TForm*>(FromHandle(window));
}

void TForm::SetCaption(const std::string& caption) {
    caption_ = caption;
    if (handle_)
        SetWindowTextA(handle_, caption_.c_str());
}

void TForm::SetBorderStyle(TBorderStyle style) {
    if (Change(borderStyle_, style))
        RecreateWnd();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
    if (Change(borderIcons_, icons))
        RecreateWnd();
}

void TForm::SetBrushStyle(TBrushStyle style) {
    brushStyle_ = style;
    if (handle_)
        InvalidateRect(handle_, nullptr, FALSE);
}

void TForm::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, WindowStyle(), FALSE, WindowExStyle());
    width_ = r.right - r.left;
    height_ = r.bottom - r.top;
    if (handle_)
        SetWindowPos(handle_, nullptr, 0, 0, width_, height_, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DWORD TForm::WindowStyle() const {
    const BorderLook& look = kBorderLooks[borderStyle_];
    DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS | look.style;
    if (borderStyle_ == bsNone || !(borderIcons_ & biSystemMenu))
        return style;
    style |= WS_SYSMENU;
    if (look.boxes && (borderIcons_ & biMinimize))
        style |= WS_MINIMIZEBOX;
    if (look.boxes && (borderIcons_ & biMaximize))
        style |= WS_MAXIMIZEBOX;
    return style;
}

DWORD TForm::WindowExStyle() const {
    return kBorderLooks[borderStyle_].exStyle;
}

void TForm::CreateHandle() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    if (!GetClassInfoA(instance, ClassName.c_str(), &windowClass)) {
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = StandardWndProc;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconA(instance, "MAINICON");
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = ClassName.c_str();
        if (!RegisterClassA(&windowClass))
            throw Exception("Cannot register the window class " + ClassName);
    }
    SetClientSize(clientWidth_, clientHeight_);
    CreateWindowExA(WindowExStyle(), ClassName.c_str(), caption_.c_str(), WindowStyle(), left_, top_, width_,
                    height_, Application.Handle(), nullptr, instance, this);
    if (!handle_)
        throw Exception("Cannot create the window " + Name);
    for (const auto& component : Components())
        component->OwnerHandleCreated();
    for (TControl* control : controls_)
        if (auto* windowed = dynamic_cast<TSystemClassControl*>(control))
            windowed->Handle();
}

// Made when there is first a hint to show: the tooltip class, like the progress bar's, is the
// common controls', whose library the start of the program need not wait for.
void TForm::CreateTooltip() {
    CommonControlsNeeded();
    tooltip_ = CreateWindowExA(
        WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle_, nullptr, GetModuleHandleA(nullptr), nullptr);
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = handle_;
    tool.uId = reinterpret_cast<UINT_PTR>(handle_);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void TForm::FocusFirstControl() {
    HWND focus = GetFocus();
    if (focus && focus != handle_ && IsChild(handle_, focus))
        return;
    std::vector<TSystemClassControl*> stops = TabStops();
    if (!stops.empty())
        stops.front()->SetFocus();
}

void TForm::RecreateWnd() {
    if (!handle_)
        return;
    bool wasVisible = IsWindowVisible(handle_);
    RECT r;
    GetWindowRect(handle_, &r);
    left_ = r.left;
    top_ = r.top;
    DestroyHandle();
    tooltip_ = nullptr;
    CreateHandle();
    if (wasVisible)
        ShowWindow(handle_, SW_SHOWNA);
}

void TForm::ApplyPosition() {
    if (Position == poScreenCenter) {
        left_ = (GetSystemMetrics(SM_CXSCREEN) - width_) / 2;
        top_ = (GetSystemMetrics(SM_CYSCREEN) - height_) / 2;
        SetWindowPos(handle_, nullptr, left_, top_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void TForm::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    if (visible) {
        Handle();
        ApplyPosition();
        if (OnShow)
            OnShow(this);
        justShown_ = true;
        ShowWindow(handle_, SW_SHOWNORMAL);
    } else if (handle_) {
        justShown_ = false;
        ShowWindow(handle_, SW_HIDE);
    }
}

void TForm::Show() {
    SetVisible(true);
    SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetActiveWindow(handle_);
}

void TForm::Close() {
    if (modal_)
        ModalResult = mrCancel;
    else if (Application.MainForm() == this) {
        Hide();
        Application.Terminate();
    } else
        Hide();
}

TModalResult TForm::ShowModal() {
    if (visible_ || modal_)
        throw Exception("Cannot make a visible window modal");
    if (GetCapture())
        ReleaseCapture();
    HWND previous = GetActiveWindow();
    modal_ = true;
    ModalResult = mrNone;
    {
        DisabledWindows disabled(Handle());
        ScopeExit end([this] { modal_ = false; });
        Show();
        while (ModalResult == mrNone) {
            Application.HandleMessage();
            if (Application.Terminated())
                ModalResult = mrCancel;
        }
    }
    Hide();
    if (previous && IsWindow(previous) && IsWindowVisible(previous))
        SetActiveWindow(previous);
    return ModalResult;
}

void TForm::InsertChild(TComponent* child, const std::string&) {
    if (auto* control = dynamic_cast<TControl*>(child))
        control->SetParent(this);
}

void TForm::Activated(HWND other) {
    bool fromProgram = justShown_ || IsOurWindow(other) || (other && !IsWindow(other) && focusStaysInProgram);
    justShown_ = false;
    // An activation handler that failed has its error box; closing that box gives the focus back,
    // and running the handler again would only fail again, box after box.
    if (activationFailed_) {
        activationFailed_ = false;
        return;
    }
    if (!fromProgram || !OnActivate)
        return;
    try {
        OnActivate(this);
    } catch (...) {
        activationFailed_ = true;
        throw;
    }
}

LRESULT TForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT inspectMessage = RegisterWindowMessageA(kInspectMessage);
    if (message == inspectMessage)
        return Inspect(reinterpret_cast<HWND>(wParam));
    switch (message) {
    case WM_PAINT:
        PaintWindow();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            focusStaysInProgram = IsOurWindow(reinterpret_cast<HWND>(lParam));
            break;
        } else {
            LRESULT result = DefaultProc(message, wParam, lParam);
            FocusFirstControl();
            Activated(reinterpret_cast<HWND>(lParam));
            return result;
        }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == tooltip_ && header->code == TTN_GETDISPINFOA) {
            reinterpret_cast<NMTTDISPINFOA*>(lParam)->lpszText = const_cast<char*>(hintText_.c_str());
            return 0;
        }
    }
        [[fallthrough]];
    case WM_COMMAND:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR: {
        // A child's notification goes back to the child: each control handles its own.
        if (auto* child = NotifiedControl(message, lParam)) {
            LRESULT result = 0;
            if (child->Notify(message, wParam, lParam, result))
                return result;
        }
        break;
    }
    case WM_CLOSE:
        if (borderIcons_ & biSystemMenu)
            Close();
        return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        RouteMouse(message, wParam, lParam);
        if (message == WM_RBUTTONUP)
            break; // the system turns it into WM_CONTEXTMENU
        return 0;
    case WM_CONTEXTMENU:
        ContextMenu(lParam);
        return 0;
    case WM_CHAR:
        if (DialogChar(static_cast<char>(wParam)))
            return 0;
        break;
    }
    return TWinControl::WndProc(message, wParam, lParam);
}

TSystemClassControl* TForm::NotifiedControl(UINT message, LPARAM lParam) const {
    HWND window = nullptr;
    if (message == WM_DRAWITEM)
        window = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
    else if (message == WM_MEASUREITEM) {
        // Measured while the control's window is still being made: known only by its place.
        UINT id = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlID;
        return id >= 1 && id <= controls_.size() ? dynamic_cast<TSystemClassControl*>(controls_[id - 1])
                                                 : nullptr;
    } else if (message == WM_NOTIFY)
        window = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
    else
        window = reinterpret_cast<HWND>(lParam); // null for the form's own scroll bars and menus
    return window ? dynamic_cast<TSystemClassControl*>(FromHandle(window)) : nullptr;
}

void TForm::PaintWindow() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle_, &paint);
    ScopeExit end([this, &paint] { EndPaint(handle_, &paint); });
    RECT client;
    GetClientRect(handle_, &client);
    MemoryDC frame(dc, client.right, client.bottom);
    const RECT& area = paint.rcPaint;
    if (brushStyle_ != bsClear) {
        Brush background(CreateSolidBrush(ColorToRGB(color_)));
        FillRect(frame.Get(), &area, background.Get());
    }
    PaintControls(frame.Get(), area);
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, frame.Get(), area.left,
           area.top, SRCCOPY);
}

void TForm::RouteMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    TControl* under = ControlAtPos(point);
    if (message == WM_MOUSEMOVE) {
        MSG relayed{handle_, message, wParam, lParam, 0, {}};
        UpdateHint(under, relayed);
    }
    TControl* target = mouseControl_ ? mouseControl_ : under;
    TControl* receiver = target ? target : this;
    int x = target ? point.x - target->Left() : point.x;
    int y = target ? point.y - target->Top() : point.y;
    switch (message) {
    case WM_MOUSEMOVE:
        receiver->MouseMove(ShiftFromKeys(wParam), x, y);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
        mouseControl_ = under;
        SetCapture(handle_);
        receiver->MouseDown(message == WM_RBUTTONDOWN ? mbRight : mbLeft);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        mouseControl_ = nullptr;
        ReleaseCapture();
        // A form's own clicks count in its client area.
        if (!target) {
            RECT client;
            GetClientRect(handle_, &client);
            if (!PtInRect(&client, point))
                x = y = -1;
        }
        receiver->MouseUp(message == WM_RBUTTONUP ? mbRight : mbLeft, x, y);
        break;
    }
}

void TForm::ContextMenu(LPARAM lParam) {
    POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (screen.x == -1 && screen.y == -1) {
        screen = {0, 0};
        ClientToScreen(handle_, &screen);
    }
    POINT client = screen;
    ScreenToClient(handle_, &client);
    TControl* control = ControlAtPos(client);
    TPopupMenu* menu = control && control->PopupMenu ? control->PopupMenu : PopupMenu;
    if (menu)
        menu->Popup(screen.x, screen.y);
}

void TForm::UpdateHint(TControl* control, const MSG& message) {
    if (control != hintControl_) {
        hintControl_ = control;
        SendMessageA(tooltip_, TTM_POP, 0, 0);
    }
    TControl* source = control ? control : this;
    hintText_ = source->ShowHint() ? source->Hint : "";
    if (!tooltip_ && !hintText_.empty())
        CreateTooltip();
    if (tooltip_)
        SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
}
