// A progress bar whose position stays within its range.
#pragma once

#include "WindowedControl.h"

class TProgressBar : public TWindowedControl {
public:
    TProgressBar();

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    // Throws when the maximum would lie below the minimum.
    void SetMin(int min);
    void SetMax(int max);
    void SetPosition(int position);

    void SetProperty(const std::string& name, const DefValue& value, Binder& binder) override;
    void Describe(InspectRecord& record) const override;

protected:
    void FillCreateParams(CreateParams& params) override;
    void HandleCreated() override;

private:
    void SetRange(int min, int max);

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};
