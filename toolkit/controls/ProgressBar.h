// A progress bar whose position stays within its range. The stock control repaints on every move,
// and busy work paints at most once a frame (TApplication::kFrameMs): a change that comes sooner
// after the last one shown reaches the control a frame later, together with any that follow it. Unpacking
// many small files would otherwise spend more time painting the bar than writing them.
#pragma once

#include "toolkit/SystemClassControl.h"

class TProgressBar : public TSystemClassControl {
public:
    TProgressBar();

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    // Throws when the maximum would lie below the minimum.
    void SetMin(int min);
    void SetMax(int max);
    void SetPosition(int position);

    void Properties(PropertyWalk& walk) override;

protected:
    void FillCreateParams(CreateParams& params) override;
    void HandleCreated() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetRange(int min, int max);
    void ShowState();
    void SendState();

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    // What the control shows, and when it was last told.
    struct {
        int min, max, position;
    } shown_{0, 100, 0};
    DWORD shownAt_ = 0;
    bool pending_ = false;
};
