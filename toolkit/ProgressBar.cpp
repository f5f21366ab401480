#include "ProgressBar.h"

#include "Exception.h"

#include <algorithm>
#include <commctrl.h>

TProgressBar::TProgressBar() {
    TabStop = false;
}

void TProgressBar::SetRange(int min, int max) {
    if (max < min)
        throw Exception("Progress bar range from " + std::to_string(min) + " to " + std::to_string(max) +
                        " is not valid");
    min_ = min;
    max_ = max;
    if (handle_)
        SendMessageA(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
    SetPosition(position_);
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
        SendMessageA(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::FillCreateParams(CreateParams& params) {
    params.className = PROGRESS_CLASSA;
    params.style &= ~WS_TABSTOP;
}

void TProgressBar::HandleCreated() {
    SendMessageA(handle_, PBM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
    SendMessageA(handle_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetProperty(const std::string& name, const DefValue& value, Binder& binder) {
    if (name == "Min")
        SetMin(value.Int());
    else if (name == "Max")
        SetMax(value.Int());
    else if (name == "Position")
        SetPosition(value.Int());
    else
        TWindowedControl::SetProperty(name, value, binder);
}

void TProgressBar::Describe(InspectRecord& record) const {
    TWindowedControl::Describe(record);
    record.emplace_back("min", std::to_string(min_));
    record.emplace_back("max", std::to_string(max_));
    record.emplace_back("position", std::to_string(position_));
}
