// A control kind over a system window class that lives here alone: this file is all it takes, with
// one registration line. The form reflects the class's notifications to it, the button class clicks
// from its own notification, and its colours are those of what it draws on.
#include "toolkit/Form.h"
#include "toolkit/SystemClassControl.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

class TCheckBox : public TSystemClassControl {
public:
    std::vector<UINT> notifications; // WM_NOTIFY codes that reached the control

    bool Notify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == WM_NOTIFY) {
            notifications.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
            return true;
        }
        return TSystemClassControl::Notify(message, wParam, lParam, result);
    }

protected:
    void FillCreateParams(CreateParams& params) override {
        params.className = "BUTTON";
        params.style |= BS_AUTOCHECKBOX;
    }
};

class TActivateForm : public TForm {
public:
    TActivateForm() : TForm("TActivateForm") {
        RegisterComponentKind<TCheckBox>("TCheckBox");
        Load({});
    }
    HANDLER(void, FormActivate)(TObject*) {}
    HANDLER(void, FormClick)(TObject*) {}
};

TEST(SystemClassKinds, AKindOfTheTestsAloneIsReflectedToClickedAndColouredAsItsClassDraws) {
    TActivateForm form;
    auto* box = static_cast<TCheckBox*>(form.InsertComponent(CreateComponent("TCheckBox", "test", &form)));
    box->Name = "Box";
    form.InsertChild(box, "test");
    box->SetBounds(10, 10, 120, 20);
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    HWND window = box->Handle();

    // Once for a press of the mouse, once for the space bar: the class says when it is clicked.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(clicks, 1);
    SendMessageA(window, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(window, WM_KEYUP, VK_SPACE, 0xC0000001);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(SendMessageA(window, BM_GETCHECK, 0, 0), BST_UNCHECKED); // checked, then unchecked

    NMHDR header{window, static_cast<UINT_PTR>(GetDlgCtrlID(window)), NM_SETFOCUS};
    SendMessageA(form.Handle(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(box->notifications, std::vector<UINT>{UINT(NM_SETFOCUS)});

    // The box is drawn on the form, so on the form's colour, whichever message the system asks with.
    HDC dc = GetDC(window);
    for (UINT message : {WM_CTLCOLORBTN, WM_CTLCOLORSTATIC}) {
        SCOPED_TRACE(message);
        auto brush = reinterpret_cast<HBRUSH>(SendMessageA(
            form.Handle(), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)));
        LOGBRUSH drawn{};
        ASSERT_TRUE(GetObjectA(brush, sizeof drawn, &drawn));
        EXPECT_EQ(drawn.lbColor, ColorToRGB(form.Color()));
    }
    ReleaseDC(window, dc);
}

} // namespace
