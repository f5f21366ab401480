// Controls: components with a place on a window. Windowless ones are painted by their parent in
// creation order, later ones on top; the topmost visible one under the pointer gets the mouse.
#pragma once

#include "toolkit/Component.h"
#include "toolkit/Font.h"

#include <windows.h>

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
using TShiftState = unsigned;

using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;

class TWinControl;
class TPopupMenu;

class TControl : public TComponent {
public:
    TControl();

    // Joins the parent's controls above those already there.
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    virtual void SetBounds(int left, int top, int width, int height);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    TFont Font;
    TColor Color() const { return color_; }
    void SetColor(TColor color);

    std::string Hint;
    bool ShowHint() const;
    void SetShowHint(bool show);
    TPopupMenu* PopupMenu = nullptr;

    TNotifyEvent OnClick;
    TMouseMoveEvent OnMouseMove;

    // Repaints the control's area of the parent.
    virtual void Invalidate();
    // Windowless controls draw here, in their own coordinates, clipped to their rectangle.
    virtual void Paint(HDC) {}

    // The parent routes the mouse here, in the control's coordinates.
    virtual void MouseDown(TMouseButton button);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, int x, int y);
    virtual void Click();
    // A character typed that no focused control takes, upper case: true when it pressed this control.
    virtual bool TakeAccelerator(char) { return false; }
    // Enter or Escape that no focused control takes: true when it is this control's to answer, which
    // it does if it can.
    virtual bool TakeDialogKey(WORD) { return false; }

    void Properties(PropertyWalk& walk) override;

protected:
    virtual void FontChanged() { Invalidate(); }
    // Repaints an area of the parent, if the parent has its window yet; false when it has not.
    bool InvalidateOnParent(const RECT& area);

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    TColor color_ = clBtnFace;
    bool showHint_ = false;
    bool parentShowHint_ = true;
    bool parentFont_ = true;
    bool parentColor_ = false;
    bool colorChosen_ = false; // by SetColor, not by default
    bool clicked_ = false;
};

class TGraphicControl : public TControl {};

class TWinControl : public TControl {
public:
    // The window, created when first needed.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    const std::vector<TControl*>& Controls() const { return controls_; }
    void InsertControl(TControl* control);
    // Topmost visible, enabled windowless control under a client point, or none.
    TControl* ControlAtPos(POINT point) const;

    // Paints the windowless controls over a part of the client area.
    void PaintControls(HDC dc, const RECT& area);

    ~TWinControl() override;

    // The control whose window this is, if it is one of ours.
    static TWinControl* FromHandle(HWND window);
    // Whether a window belongs to this process: another program's may carry a property of our name.
    static bool IsProgramWindow(HWND window);

protected:
    virtual void CreateHandle() = 0;
    // Every message of the window; the default passes it to DefaultProc.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    // What the window's class does with a message: the system's default for our own classes.
    virtual LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    void DestroyHandle();
    // Makes a window this control's: its messages come to WndProc from now on.
    void Attach(HWND window);
    static LRESULT CALLBACK StandardWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
    std::vector<TControl*> controls_;
};
