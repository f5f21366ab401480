#include "tests/driver/Driver.h"
#include "toolkit/Application.h"
#include "toolkit/controls/StandardKinds.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Form.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

constexpr DWORD kWait = 10000;

// Stands in for the user: waits for one box with this caption, notes what it shows, answers it.
class BoxReader {
public:
    explicit BoxReader(const char* caption, std::function<void(HWND)> answer = driver::PressOk)
        : thread_([this, caption, answer] {
              try {
                  box = driver::WaitMessageBox(GetCurrentProcessId(), caption, kWait);
                  GetWindowRect(box.hwnd, &place);
                  answer(box.hwnd);
              } catch (const std::exception& e) {
                  failure = e.what();
              }
          }) {}
    ~BoxReader() { Join(); }
    void Join() {
        if (thread_.joinable())
            thread_.join();
    }

    driver::MessageBoxWindow box;
    RECT place{};
    std::string failure;

private:
    std::thread thread_;
};

void ExpectCentred(const RECT& r) {
    EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST(MessageDialogs, EachKindHasItsCaptionAndIconAndSitsInTheMiddleOfTheScreen) {
    Application.SetTitle("Test Title");
    const struct {
        TMsgDlgType type;
        const char* caption;
        bool icon;
    } kinds[] = {{mtWarning, "Warning", true},
                 {mtError, "Error", true},
                 {mtInformation, "Information", true},
                 {mtConfirmation, "Confirm", true},
                 {mtCustom, "Test Title", false}};
    for (const auto& kind : kinds) {
        BoxReader reader(kind.caption);
        MessageDlg("Disk full", kind.type, mbOK);
        reader.Join();
        ASSERT_EQ(reader.failure, "");
        EXPECT_EQ(reader.box.text, "Disk full");
        EXPECT_EQ(reader.box.hasIcon, kind.icon) << kind.caption;
        EXPECT_EQ(GetDlgItem(reader.box.hwnd, IDCANCEL), nullptr);
        ExpectCentred(reader.place);
    }
}

// A box that offers a way out: OK stays the default, and every other way of closing it answers Cancel.
TEST(MessageDialogs, WithCancelBesideOkEveryWayOutButOkAndEnterAnswersCancel) {
    auto command = [](WPARAM id) { return [id](HWND box) { PostMessageA(box, WM_COMMAND, id, 0); }; };
    auto keys = [](WORD key) { return [key](HWND box) { driver::SendKeys(box, {key}); }; };
    const struct {
        const char* way;
        std::function<void(HWND)> answer;
        TMsgDlgBtn result;
    } ways[] = {
        {"OK", command(IDOK), mbOK},
        {"Enter", keys(VK_RETURN), mbOK},
        {"Cancel", command(IDCANCEL), mbCancel},
        {"Escape", keys(VK_ESCAPE), mbCancel},
        {"close box", [](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }, mbCancel},
    };
    for (const auto& way : ways) {
        BoxReader reader("Information", [&](HWND box) {
            EXPECT_NE(GetDlgItem(box, IDCANCEL), nullptr);
            way.answer(box);
        });
        EXPECT_EQ(MessageDlg("Insert the disk with D:\\game.part2.rar", mtInformation, mbOK | mbCancel),
                  way.result)
            << way.way;
        reader.Join();
        EXPECT_EQ(reader.failure, "") << way.way;
    }
}

class TActivateForm : public TForm {
public:
    int activations = 0;
    std::function<void()> onClick;

    TActivateForm() : TForm("TActivateForm") {
        RegisterStandardKinds();
        Load({});
    }
    HANDLER(void, FormActivate)(TObject*) { ++activations; }
    HANDLER(void, FormClick)(TObject*) { onClick(); }
};

void Pump() {
    for (int i = 0; i < 20; ++i) {
        Application.ProcessMessages();
        Sleep(10);
    }
}

TEST(Activation, AFormIsActivatedWhenShownAndWhenItsOwnBoxCloses) {
    TActivateForm form;
    form.Show();
    Pump();
    EXPECT_EQ(form.activations, 1);
    {
        BoxReader reader("Information");
        MessageDlg("Insert the next disk", mtInformation, mbOK);
    }
    Pump();
    EXPECT_EQ(form.activations, 2);
    form.Hide();
    form.Show();
    Pump();
    EXPECT_EQ(form.activations, 3);
    form.Hide();
}

TEST(ErrorBox, AFailureInAHandlerIsShownUnderTheTitleAndTheLoopGoesOn) {
    Application.SetTitle("Korvadel Installer v1.0");
    TActivateForm form;
    int clicks = 0;
    form.onClick = [&] {
        ++clicks;
        throw EConvertError("'abc' is not a valid integer value");
    };
    form.Show();
    Pump();
    BoxReader reader("Korvadel Installer v1.0");
    SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    reader.Join();
    EXPECT_EQ(reader.failure, "");
    EXPECT_EQ(reader.box.text, "'abc' is not a valid integer value");
    EXPECT_TRUE(reader.box.hasIcon);
    EXPECT_EQ(clicks, 1);
    // The window still answers.
    BoxReader again("Korvadel Installer v1.0");
    SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    again.Join();
    EXPECT_EQ(clicks, 2);
    form.Hide();
}

TEST(ModalForms, ShowModalDisablesTheOthersUntilCloseAndHidesAfterwards) {
    TActivateForm owner;
    owner.Show();
    TActivateForm dialog;
    bool ownerDisabled = false;
    // The dialog closes itself from inside its own modal loop, as a Cancel button would.
    dialog.onClick = [&] {
        ownerDisabled = !IsWindowEnabled(owner.Handle());
        dialog.Close();
    };
    PostMessageA(dialog.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(dialog.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
    EXPECT_THROW(
        {
            owner.Show();
            owner.ShowModal();
        },
        Exception);
    owner.Hide();
}

} // namespace
