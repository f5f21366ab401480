#include "toolkit/Control.h"

#include "toolkit/Application.h"
#include "toolkit/Menu.h"
#include "toolkit/Properties.h"

TControl::TControl() {
    Font.OnChange = [this] {
        parentFont_ = false;
        FontChanged();
    };
}

void TControl::SetParent(TWinControl* parent) {
    parent_ = parent;
    if (!parent)
        return;
    parent->InsertControl(this);
    if (parentFont_) {
        Font.Assign(parent->Font);
        parentFont_ = true;
    }
    if (parentColor_)
        color_ = parent->Color();
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    RECT old = BoundsRect();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (visible_ && InvalidateOnParent(old))
        Invalidate();
}

bool TControl::InvalidateOnParent(const RECT& area) {
    if (!parent_ || !parent_->HandleAllocated())
        return false;
    InvalidateRect(parent_->Handle(), &area, FALSE);
    return true;
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    visible_ = visible;
    InvalidateOnParent(BoundsRect());
}

void TControl::SetEnabled(bool enabled) {
    if (Change(enabled_, enabled))
        Invalidate();
}

void TControl::SetColor(TColor color) {
    parentColor_ = false;
    colorChosen_ = true;
    if (Change(color_, color))
        Invalidate();
}

bool TControl::ShowHint() const {
    if (parentShowHint_ && parent_)
        return parent_->ShowHint();
    return showHint_;
}

void TControl::SetShowHint(bool show) {
    showHint_ = show;
    parentShowHint_ = false;
}

void TControl::Invalidate() {
    if (visible_)
        InvalidateOnParent(BoundsRect());
}

void TControl::MouseDown(TMouseButton button) {
    if (button == mbLeft)
        clicked_ = true;
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, int x, int y) {
    bool click = button == mbLeft && clicked_ && x >= 0 && y >= 0 && x < width_ && y < height_;
    if (button == mbLeft)
        clicked_ = false;
    if (click)
        Click();
}

void TControl::Click() {
    if (OnClick)
        OnClick(this);
}

std::string shown::Hex(unsigned value) {
    char text[16];
    wsprintfA(text, "0x%08X", value);
    return text;
}

void TControl::Properties(PropertyWalk& walk) {
    TComponent::Properties(walk);
    static constexpr Property<TControl> properties[] = {
        {"Left",
         [](TControl& c, const DefValue& v, Binder&) { c.SetBounds(v.Int(), c.top_, c.width_, c.height_); }},
        {"Top",
         [](TControl& c, const DefValue& v, Binder&) { c.SetBounds(c.left_, v.Int(), c.width_, c.height_); }},
        {"Width",
         [](TControl& c, const DefValue& v, Binder&) { c.SetBounds(c.left_, c.top_, v.Int(), c.height_); }},
        {"Height",
         [](TControl& c, const DefValue& v, Binder&) { c.SetBounds(c.left_, c.top_, c.width_, v.Int()); }},
        {nullptr, nullptr, "bounds",
         [](const TControl& c) {
             return std::to_string(c.left_) + "," + std::to_string(c.top_) + "," + std::to_string(c.width_) +
                    "," + std::to_string(c.height_);
         }},
        {"Visible", as::Bool<&TControl::SetVisible>, "visible", shown::Bool<&TControl::visible_>},
        {"Enabled", as::Bool<&TControl::SetEnabled>, "enabled", shown::Bool<&TControl::enabled_>},
        {"Color", as::Color<&TControl::SetColor>, "color", shown::Color<&TControl::color_>},
        {"Hint", as::Text<&TControl::Hint>, "hint", shown::Text<&TControl::Hint>},
        {"ShowHint", as::Bool<&TControl::SetShowHint>, "showhint", shown::Bool<&TControl::ShowHint>},
        {"ParentShowHint", as::Bool<&TControl::parentShowHint_>},
        {"ParentFont", as::Bool<&TControl::parentFont_>},
        {"PopupMenu",
         [](TControl& c, const DefValue& v, Binder& binder) {
             binder.Reference(v, [&c, v](TComponent* menu) {
                 c.PopupMenu = dynamic_cast<TPopupMenu*>(menu);
                 if (!c.PopupMenu)
                     v.Fail(v.Name() + " is not a popup menu");
             });
         },
         "popupmenu", [](const TControl& c) { return c.PopupMenu ? c.PopupMenu->Name : ""; }},
        {"OnClick", as::Event<&TControl::OnClick>},
        {"OnMouseMove", as::Event<&TControl::OnMouseMove>},
    };
    walk(*this, properties);
    Font.Properties(walk, "Font.");
}

namespace {
// Which control a window belongs to; a property, since system classes may use the window's own slots.
constexpr char kControlProperty[] = "KorvadelControl";
} // namespace

void TWinControl::Attach(HWND window) {
    handle_ = window;
    SetPropA(window, kControlProperty, this);
}

HWND TWinControl::Handle() {
    if (!handle_)
        CreateHandle();
    return handle_;
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
}

TControl* TWinControl::ControlAtPos(POINT point) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* control = *it;
        RECT r = control->BoundsRect();
        if (control->Visible() && control->Enabled() && !dynamic_cast<TWinControl*>(control) &&
            PtInRect(&r, point))
            return control;
    }
    return nullptr;
}

void TWinControl::PaintControls(HDC dc, const RECT& area) {
    for (TControl* control : controls_) {
        RECT r = control->BoundsRect();
        RECT overlap;
        if (!control->Visible() || dynamic_cast<TWinControl*>(control) || !IntersectRect(&overlap, &r, &area))
            continue;
        SavedDC saved(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        SetViewportOrgEx(dc, r.left, r.top, nullptr);
        control->Paint(dc);
    }
}

LRESULT TWinControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefaultProc(message, wParam, lParam);
}

LRESULT TWinControl::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(handle_, message, wParam, lParam);
}

bool TWinControl::IsProgramWindow(HWND window) {
    DWORD process = 0;
    return window && GetWindowThreadProcessId(window, &process) && process == GetCurrentProcessId();
}

TWinControl* TWinControl::FromHandle(HWND window) {
    return IsProgramWindow(window) ? static_cast<TWinControl*>(GetPropA(window, kControlProperty)) : nullptr;
}

void TWinControl::DestroyHandle() {
    if (handle_) {
        DestroyWindow(handle_);
        handle_ = nullptr;
    }
}

LRESULT CALLBACK TWinControl::StandardWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* control = static_cast<TWinControl*>(GetPropA(window, kControlProperty));
    if (message == WM_NCCREATE) {
        control = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        control->Attach(window);
    }
    if (!control)
        return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        LRESULT result = control->DefaultProc(message, wParam, lParam);
        RemovePropA(window, kControlProperty);
        if (control->handle_ == window)
            control->handle_ = nullptr;
        return result;
    }
    try {
        return control->WndProc(message, wParam, lParam);
    } catch (const std::exception& e) {
        Application.ShowException(e);
        return 0;
    }
}

TWinControl::~TWinControl() {
    DestroyHandle();
}
