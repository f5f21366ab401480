#include "toolkit/controls/ProgressBar.h"

#include "toolkit/Exception.h"
#include "toolkit/Properties.h"
#include "toolkit/ShellFunctions.h"

#include <algorithm>
#include <commctrl.h>

namespace {
// A frame of a 60 Hz screen; GetTickCount steps by about 16 ms on Windows, so this gives 30 to 60 a
// second.
constexpr DWORD kFrameMs = 15;
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
    if (handle_) {
        SendMessageA(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
        SendPosition();
    }
}

void TProgressBar::SetMin(int min) {
    SetRange(min, max_);
}
void TProgressBar::SetMax(int max) {
    SetRange(min_, max);
}

void TProgressBar::SetPosition(int position) {
    position_ = std::clamp(position, min_, max_);
    if (handle_)
        ShowPosition();
}

void TProgressBar::ShowPosition() {
    if (position_ == shown_)
        return;
    bool atEnd = position_ == min_ || position_ == max_;
    if (!atEnd && GetTickCount() - shownAt_ < kFrameMs) {
        if (!pending_)
            pending_ = SetTimer(handle_, kPendingTimer, kFrameMs, nullptr) != 0;
        return;
    }
    SendPosition();
}

void TProgressBar::SendPosition() {
    if (pending_) {
        KillTimer(handle_, kPendingTimer);
        pending_ = false;
    }
    SendMessageA(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
    shown_ = position_;
    shownAt_ = GetTickCount();
}

LRESULT TProgressBar::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kPendingTimer) {
        SendPosition();
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
    SendMessageA(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
    SendPosition();
}

void TProgressBar::SetProperty(const std::string& name, const DefValue& value, Binder& binder) {
    static constexpr Property<TProgressBar> properties[] = {
        {"Min", as::Int<&TProgressBar::SetMin>},
        {"Max", as::Int<&TProgressBar::SetMax>},
        {"Position", as::Int<&TProgressBar::SetPosition>},
    };
    if (!SetDeclared(*this, properties, name, value, binder))
        TSystemClassControl::SetProperty(name, value, binder);
}

void TProgressBar::Describe(InspectRecord& record) const {
    TSystemClassControl::Describe(record);
    record.emplace_back("min", std::to_string(min_));
    record.emplace_back("max", std::to_string(max_));
    record.emplace_back("position", std::to_string(position_));
}
