// Forms with the caption component for the in-process tests, and what the screen shows of their bars.
#pragma once

#include "components/ComponentKinds.h"
#include "components/Wordcap.h"
#include "tests/driver/Driver.h"
#include "toolkit/Application.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace wordcap {

class TTestForm : public TForm {
public:
    TMSOfficeCaption* MSOfficeCaption1 = nullptr;
    std::function<void(TCanvas& canvas, RECT& r)> drawCaption;
    // The messages that got past the caption's window procedure to the form.
    std::vector<UINT> received;
    // What each WM_NCACTIVATE that got through asked of the system's painting.
    std::vector<LPARAM> activations;

    // `kind`: TCaptionForm, TBareForm, or TPlainForm, which has no component.
    explicit TTestForm(const std::string& kind, bool designing = false) : TForm(kind) {
        Designing = designing;
        RegisterComponentsKinds();
        Load({});
        MSOfficeCaption1 = dynamic_cast<TMSOfficeCaption*>(FindComponent("MSOfficeCaption1"));
    }
    HANDLER(void, DrawCaption)(TObject*, TCanvas& canvas, RECT& r) {
        if (drawCaption)
            drawCaption(canvas, r);
    }
    void ShowActive() {
        Show();
        SetForegroundWindow(Handle());
        driver::WaitUntil(
            [this] {
                Application.ProcessMessages();
                return GetForegroundWindow() == Handle();
            },
            3000);
    }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        received.push_back(message);
        if (message == WM_NCACTIVATE)
            activations.push_back(lParam);
        return TForm::WndProc(message, wParam, lParam);
    }
};

// As captures give colours: 0x00RRGGBB.
inline uint32_t OnScreen(COLORREF color) {
    return GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color);
}

// The window with its frame once the screen has stopped changing; messages are handled meanwhile.
inline driver::Pixels Settled(HWND window) {
    driver::Pixels last;
    for (int i = 0; i < 100; ++i) {
        Application.ProcessMessages();
        driver::Pixels now = driver::Capture(window, true);
        if (i >= 2 && now.pixels == last.pixels)
            break;
        last = std::move(now);
        Sleep(30);
    }
    return last;
}

// Leftmost and rightmost column of a rectangle holding a colour; {-1, -1} when none does.
inline std::pair<int, int> Columns(const driver::Pixels& shown, const RECT& r, uint32_t color) {
    std::pair<int, int> found{-1, -1};
    for (int x = r.left; x < r.right; ++x)
        for (int y = r.top; y < r.bottom; ++y)
            if (shown.At(x, y) == color) {
                found = {found.first < 0 ? x : found.first, x};
                break;
            }
    return found;
}

inline int Count(const driver::Pixels& shown, const RECT& r, uint32_t color) {
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            count += shown.At(x, y) == color;
    return count;
}

// Presses OK on the "Error" boxes of this process while it lives, and keeps their texts.
class ErrorBoxes {
public:
    ErrorBoxes()
        : watcher_([this] {
              for (; !stop_; Sleep(20))
                  if (driver::CountMessageBoxes(GetCurrentProcessId(), "Error") > 0) {
                      auto box = driver::WaitMessageBox(GetCurrentProcessId(), "Error", 1000);
                      std::lock_guard<std::mutex> lock(mutex_);
                      texts_.push_back(box.text);
                      driver::PressOk(box.hwnd);
                  }
          }) {}
    ErrorBoxes(const ErrorBoxes&) = delete;
    ErrorBoxes& operator=(const ErrorBoxes&) = delete;
    ~ErrorBoxes() {
        stop_ = true;
        watcher_.join();
    }
    std::vector<std::string> Texts() {
        Sleep(200); // for a box still on its way
        std::lock_guard<std::mutex> lock(mutex_);
        return texts_;
    }

private:
    std::mutex mutex_;
    std::vector<std::string> texts_;
    std::atomic<bool> stop_ = false;
    std::thread watcher_;
};

} // namespace wordcap
