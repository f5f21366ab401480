#include "toolkit/Application.h"
#include "toolkit/controls/Label.h"
#include "toolkit/controls/ProgressBar.h"
#include "toolkit/controls/SpeedButton.h"
#include "toolkit/controls/StandardKinds.h"
#include "toolkit/controls/Timer.h"
#include "toolkit/Form.h"
#include "toolkit/Menu.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

// Records which handlers ran, with their sender's name.
struct Journal {
    std::vector<std::string> entries;
    void Add(const std::string& what, TObject* sender) {
        auto* component = dynamic_cast<TComponent*>(sender);
        entries.push_back(what + " " + (component ? component->Name : "?"));
    }
};

class TTestForm : public TForm {
public:
    TLabel* Below = nullptr;
    TLabel* Above = nullptr;
    TLabel* Hidden = nullptr;
    TLabel* Sized = nullptr;
    TPopupMenu* Menu = nullptr;
    Journal journal;

    explicit TTestForm(const std::string& kind) : TForm(kind) {
        RegisterStandardKinds();
        Load({Field("Below", Below), Field("Above", Above), Field("Hidden", Hidden), Field("Sized", Sized),
              Field("Menu", Menu)});
    }
    HANDLER(void, FormCreate)(TObject* sender) {
        // Members are bound and every property set before the creation event.
        journal.Add(Menu && PopupMenu == Menu ? "created" : "created too early", sender);
    }
    HANDLER(void, FormClick)(TObject* sender) { journal.Add("form click", sender); }
    HANDLER(void, Clicked)(TObject* sender) { journal.Add("click", sender); }
    HANDLER(void, Moved)(TObject* sender, TShiftState, int x, int y) {
        journal.Add("move " + std::to_string(x) + "," + std::to_string(y), sender);
    }

    void Post(UINT message, int x, int y) { SendMessageA(Handle(), message, 0, MAKELPARAM(x, y)); }
};

std::string LoadFailure(const std::string& kind) {
    try {
        TTestForm form(kind);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no failure";
}

TEST(FormDefinition, BuildsControlsInOrderAndResolvesLaterReferences) {
    TTestForm form("TGoodForm");
    EXPECT_EQ(form.journal.entries, std::vector<std::string>{"created GoodForm"});
    EXPECT_EQ(form.Caption(), "Good");
    ASSERT_EQ(form.Controls().size(), 4u);
    EXPECT_EQ(form.Controls()[0], form.Below);
    EXPECT_EQ(form.Controls()[1], form.Above);
    // Fonts come from the window unless the control sets its own.
    EXPECT_EQ(form.Below->Font.Name(), "Arial");
    EXPECT_EQ(form.Below->Font.Color(), clWindowText);
    EXPECT_EQ(form.Above->Font.Name(), "Arial");
    EXPECT_EQ(form.Above->Font.Color(), clRed);
    // A label that sizes itself measures its caption in its font.
    EXPECT_GT(form.Sized->Width(), 50);
    EXPECT_GT(form.Sized->Height(), 10);
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 100);
    EXPECT_EQ(GetWindowLongA(form.Handle(), GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
}

TEST(FormDefinition, UnknownNamesAndWrongHandlersFailLoudly) {
    EXPECT_EQ(LoadFailure("TUnknownProperty"),
              "TUnknownProperty window definition:28: TLabel Above has no property Colour");
    EXPECT_EQ(LoadFailure("TUnknownHandler"),
              "TUnknownHandler window definition:12: TUnknownHandler has no handler FormClicked");
    EXPECT_EQ(LoadFailure("TWrongHandler"),
              "TWrongHandler window definition:20: handler Clicked does not fit this event");
    EXPECT_EQ(LoadFailure("TUnknownKind"), "TUnknownKind window definition:42: unknown kind TWidget");
    EXPECT_EQ(LoadFailure("TDuplicate"), "TDuplicate window definition:32: a second component named Above");
    EXPECT_EQ(LoadFailure("TMissing"), "The program has no resource TMissing");
}

TEST(FormMouse, TheTopmostVisibleControlGetsTheMouseInItsOwnCoordinates) {
    TTestForm form("TGoodForm");
    form.journal.entries.clear();
    form.Post(WM_MOUSEMOVE, 20, 10);  // only Below
    form.Post(WM_MOUSEMOVE, 60, 10);  // Above lies over Below; Hidden over both is not shown
    form.Post(WM_MOUSEMOVE, 180, 90); // the form itself: no handler
    form.Above->Hide();
    form.Post(WM_MOUSEMOVE, 60, 10);
    EXPECT_EQ(form.journal.entries,
              (std::vector<std::string>{"move 20,10 Below", "move 10,10 Above", "move 60,10 Below"}));
}

TEST(FormMouse, AClickNeedsPressAndReleaseOnTheSameControl) {
    TTestForm form("TGoodForm");
    form.journal.entries.clear();
    form.Post(WM_LBUTTONDOWN, 60, 10);
    form.Post(WM_LBUTTONUP, 61, 11);
    form.Post(WM_LBUTTONDOWN, 60, 10); // pressed on Above, released outside it
    form.Post(WM_LBUTTONUP, 160, 10);
    form.Post(WM_LBUTTONDOWN, 180, 90);
    form.Post(WM_LBUTTONUP, 180, 90);
    form.Hidden->Show();
    form.Post(WM_LBUTTONDOWN, 60, 10);
    form.Post(WM_LBUTTONUP, 60, 10);
    EXPECT_EQ(form.journal.entries,
              (std::vector<std::string>{"click Above", "form click GoodForm", "click Hidden"}));
}

TEST(FormShortCuts, MenuShortcutsRunEnabledEntriesOnly) {
    TTestForm form("TGoodForm");
    form.journal.entries.clear();
    EXPECT_EQ(form.Menu->Items().size(), 2u);
    EXPECT_TRUE(form.Menu->DispatchShortCut(scCtrl | 'F'));
    EXPECT_FALSE(form.Menu->DispatchShortCut('F'));
    EXPECT_FALSE(form.Menu->DispatchShortCut(scCtrl | 'O'));
    EXPECT_EQ(form.journal.entries, std::vector<std::string>{"click First"});
    EXPECT_EQ(ShortCutToText(16457), "Ctrl+I");
}

TEST(FormShortCuts, TheFormOffersAKeyWithItsModifiersToItsComponents) {
    TTestForm form("TGoodForm");
    form.journal.entries.clear();
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_TRUE(form.IsShortCut('F'));
    EXPECT_FALSE(form.IsShortCut('O'));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_FALSE(form.IsShortCut('F'));
    EXPECT_EQ(form.journal.entries, std::vector<std::string>{"click First"});
}

} // namespace

namespace {

class TButtonForm : public TForm {
public:
    std::vector<std::string> clicks;
    int ticks = 0;
    TSpeedButton* Install = nullptr;
    TSpeedButton* Ampersand = nullptr;

    TButtonForm() : TForm("TButtonForm") {
        RegisterStandardKinds();
        Load({Field("Install", Install), Field("Ampersand", Ampersand)});
    }
    HANDLER(void, Clicked)(TObject* sender) { clicks.push_back(dynamic_cast<TComponent*>(sender)->Name); }
    HANDLER(void, Ticked)(TObject*) { ++ticks; }
};

TEST(SpeedButtons, TheLetterAfterTheAmpersandPressesAnEnabledButton) {
    TButtonForm form;
    EXPECT_EQ(form.Install->Accelerator(), 'I');
    EXPECT_EQ(form.Ampersand->Accelerator(), 0);
    EXPECT_TRUE(form.DialogChar('i'));
    EXPECT_TRUE(form.DialogChar('I'));
    EXPECT_FALSE(form.DialogChar('c')); // Cancel is disabled
    EXPECT_FALSE(form.DialogChar('d'));
    SendMessageA(form.Handle(), WM_CHAR, 'i', 0);
    SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 80));
    SendMessageA(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 80));
    SendMessageA(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 80));
    SendMessageA(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(120, 80));
    EXPECT_EQ(form.clicks, (std::vector<std::string>{"Install", "Install", "Install", "Install"}));
}

TEST(Timers, TicksArriveThroughTheMessageLoopUntilDisabled) {
    TButtonForm form;
    auto* timer = dynamic_cast<TTimer*>(form.FindComponent("Ticker"));
    ASSERT_NE(timer, nullptr);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 300) {
        Application.ProcessMessages();
        Sleep(5);
    }
    EXPECT_GE(form.ticks, 5);
    timer->SetEnabled(false);
    int stopped = form.ticks;
    start = GetTickCount();
    while (GetTickCount() - start < 100) {
        Application.ProcessMessages();
        Sleep(5);
    }
    EXPECT_EQ(form.ticks, stopped);
}

// The stock bar is told of changes at most about once a frame, and what was held back still reaches
// it: the last position and range, the ends included.
TEST(ProgressBars, TheControlComesToTheLastStateWithinAFrame) {
    TButtonForm form;
    auto* bar = dynamic_cast<TProgressBar*>(form.FindComponent("Bar"));
    ASSERT_NE(bar, nullptr);
    form.Handle();
    auto shown = [bar] {
        return std::make_pair(int(SendMessageA(bar->Handle(), PBM_GETPOS, 0, 0)),
                              int(SendMessageA(bar->Handle(), PBM_GETRANGE, FALSE, 0)));
    };
    for (auto [last, max] : {std::pair{40, 100}, {100, 100}, {0, 100}, {7, 7}}) {
        for (int position : {10, 20, 30, 70})
            bar->SetPosition(position);
        bar->SetMax(max);
        bar->SetPosition(last);
        EXPECT_EQ(bar->Position(), last);
        DWORD start = GetTickCount();
        while (shown() != std::pair(last, max) && GetTickCount() - start < 1000) {
            Application.ProcessMessages();
            Sleep(1);
        }
        EXPECT_EQ(shown(), std::pair(last, max)) << last;
        EXPECT_LT(GetTickCount() - start, 250u) << last;
    }
}

HWND paintsOf = nullptr;
int paints = 0;

LRESULT CALLBACK CountPaints(int code, WPARAM removed, LPARAM message) {
    const MSG& m = *reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && removed == PM_REMOVE && m.message == WM_PAINT && m.hwnd == paintsOf)
        ++paints;
    return CallNextHookEx(nullptr, code, removed, message);
}

// Busy work that asks for its messages every millisecond has its window painted at most once a
// frame, and what it held back is painted by the next call after a frame.
TEST(ProcessMessages, BusyWorkPaintsAtMostOnceAFrameAndLeavesNothingUnpainted) {
    TButtonForm form;
    form.Show();
    paintsOf = form.Handle();
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, CountPaints, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    constexpr DWORD kBusyMs = 250;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kBusyMs) {
        InvalidateRect(form.Handle(), nullptr, FALSE);
        Application.ProcessMessages();
        Sleep(1);
    }
    EXPECT_GE(paints, 3);
    EXPECT_LE(paints, int(kBusyMs / TApplication::kFrameMs) + 2);
    Sleep(TApplication::kFrameMs);
    Application.ProcessMessages();
    EXPECT_FALSE(GetUpdateRect(form.Handle(), nullptr, FALSE));
    UnhookWindowsHookEx(hook);
}

} // namespace
