#include "toolkit/controls/ProgressBar.h"

#include "toolkit/Application.h"
#include "toolkit/Exception.h"
#include "toolkit/Properties.h"
#include "toolkit/ShellFunctions.h"

#include <algorithm>
#include <commctrl.h>

namespace {
constexpr UINT_PTR kPendingTimer = 1;
} // namespace

TProgressBar::TProgressBar() {
    TabStop = false;
}

void TProgressBar::SetRange(int min, int max) {
    if (max < min)
        throw Exception("Progress bar range from " + std::to_string(min) + " to " + std::to_string(max) +
                        " is not valid");
    min_ = min;
    max_ = max;
    position_ = std::clamp(position_, min_, max_);
    ShowState();
}

void TProgressBar::SetMin(int min) {
    SetRange(min, max_);
}
void TProgressBar::SetMax(int max) {
    SetRange(min_, max);
}

void TProgressBar::SetPosition(int position) {
    position_ = std::clamp(position, min_, max_);
    ShowState();
}

void TProgressBar::ShowState() {
    if (!handle_ || (min_ == shown_.min && max_ == shown_.max && position_ == shown_.position))
        return;
    if (GetTickCount() - shownAt_ < TApplication::kFrameMs) {
        if (!pending_)
            pending_ = SetTimer(handle_, kPendingTimer, TApplication::kFrameMs, nullptr) != 0;
        return;
    }
    SendState();
}

// A new range is only drawn with the next paint; a new position is drawn at once, with the range.
void TProgressBar::SendState() {
    if (pending_) {
        KillTimer(handle_, kPendingTimer);
        pending_ = false;
    }
    if (min_ != shown_.min || max_ != shown_.max)
        SendMessageA(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
    if (position_ != shown_.position)
        SendMessageA(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
    shown_ = {min_, max_, position_};
    shownAt_ = GetTickCount();
}

LRESULT TProgressBar::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kPendingTimer) {
        SendState();
        return 0;
    }
    return TSystemClassControl::WndProc(message, wParam, lParam);
}

void TProgressBar::FillCreateParams(CreateParams& params) {
    CommonControlsNeeded();
    params.className = PROGRESS_CLASSA;
    params.style &= ~WS_TABSTOP;
}

void TProgressBar::HandleCreated() {
    // The new control shows 0 of 0..100.
    shown_ = {0, 100, 0};
    SendState();
}

void TProgressBar::Properties(PropertyWalk& walk) {
    TSystemClassControl::Properties(walk);
    static constexpr Property<TProgressBar> properties[] = {
        {"Min", as::Int<&TProgressBar::SetMin>, "min", shown::Int<&TProgressBar::min_>},
        {"Max", as::Int<&TProgressBar::SetMax>, "max", shown::Int<&TProgressBar::max_>},
        {"Position", as::Int<&TProgressBar::SetPosition>, "position", shown::Int<&TProgressBar::position_>},
    };
    walk(*this, properties);
}
