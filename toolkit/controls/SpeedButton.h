// A push button without a window of its own: it never takes the keyboard focus, and the letter after
// the & of its caption presses it from the keyboard.
#pragma once

#include "toolkit/Control.h"

class TSpeedButton : public TGraphicControl {
public:
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);

    // The accelerator letter of the caption, upper case, or 0.
    char Accelerator() const;
    // Pressed by Enter, or by Escape, where the control with the focus does not take the key itself.
    bool Default = false;
    bool Cancel = false;

    void Paint(HDC dc) override;
    void MouseDown(TMouseButton button) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, int x, int y) override;
    void SetEnabled(bool enabled) override;
    bool TakeAccelerator(char upper) override;
    bool TakeDialogKey(WORD key) override;
    void Properties(PropertyWalk& walk) override;

private:
    void SetDown(bool down);

    std::string caption_;
    bool down_ = false;
};
