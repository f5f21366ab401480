// A timer whose ticks arrive through the message loop.
#pragma once

#include "toolkit/Component.h"

class TTimer : public TComponent {
public:
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned milliseconds);
    TNotifyEvent OnTimer;

    void Properties(PropertyWalk& walk) override;

private:
    void Update();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    UINT_PTR id_ = 0;
};
