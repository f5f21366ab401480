// The forms answer the inspection of any process on the desktop; an asker that does not take the
// answer must not hold up the program's one thread.
#include "tests/shell/Installer.h"

#include "toolkit/InspectionProtocol.h"

#include <thread>

namespace {

using namespace installer;

// A reply window whose thread is blocked, so that it takes no message until it is let go.
class HungWindow {
public:
    HungWindow() {
        HANDLE made = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread = std::thread([this, made] {
            window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
            SetEvent(made);
            WaitForSingleObject(release, INFINITE);
            DestroyWindow(window);
        });
        WaitForSingleObject(made, INFINITE);
        CloseHandle(made);
    }
    ~HungWindow() {
        SetEvent(release);
        thread.join();
        CloseHandle(release);
    }

    HWND window = nullptr;

private:
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread thread;
};

TEST(FormInspection, AnAskerThatNeverTakesTheAnswerHoldsTheProgramUpAMomentAtMost) {
    Session run;
    HWND main = run.MainWindow();
    HungWindow asker;
    ASSERT_NE(asker.window, nullptr);
    PostMessageA(main, RegisterWindowMessageA(kInspectMessage), reinterpret_cast<WPARAM>(asker.window), 0);
    // Another asker is answered meanwhile, and the user's keys are taken once the form has given up.
    EXPECT_EQ(driver::Field(driver::Inspect(main).form, "name"), "Form1");
    driver::SendKeys(main, {VK_CONTROL, 'I'});
    driver::WaitWindow(run.process->Pid(), "TForm2", nullptr, kInspectionReplyMs + 5000);
}

} // namespace
