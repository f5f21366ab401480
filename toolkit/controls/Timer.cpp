#include "toolkit/controls/Timer.h"

#include "toolkit/Application.h"
#include "toolkit/Properties.h"

TTimer::~TTimer() {
    if (id_)
        Application.StopTimer(id_);
}

void TTimer::SetEnabled(bool enabled) {
    if (Change(enabled_, enabled))
        Update();
}

void TTimer::SetInterval(unsigned milliseconds) {
    if (Change(interval_, milliseconds))
        Update();
}

void TTimer::Update() {
    if (id_) {
        Application.StopTimer(id_);
        id_ = 0;
    }
    if (enabled_ && interval_ > 0 && OnTimer)
        id_ = Application.StartTimer(interval_, [this] {
            if (OnTimer)
                OnTimer(this);
        });
}

void TTimer::Properties(PropertyWalk& walk) {
    TComponent::Properties(walk);
    static constexpr Property<TTimer> properties[] = {
        {"Enabled", as::Bool<&TTimer::SetEnabled>},
        {"Interval", as::Int<&TTimer::SetInterval>},
        {"OnTimer",
         [](TTimer& timer, const DefValue& v, Binder& binder) {
             BindEvent(timer.OnTimer, v, binder);
             timer.Update();
         }},
    };
    walk(*this, properties);
}
