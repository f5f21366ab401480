// A bevel: a frame or box drawn raised or lowered, for grouping controls by eye.
#pragma once

#include "toolkit/Control.h"

enum TBevelShape { bsBox, bsFrame };
enum TBevelStyle { bsLowered, bsRaised };
constexpr auto kBevelShapes = std::to_array<EnumName<TBevelShape>>({{"bsBox", bsBox}, {"bsFrame", bsFrame}});
constexpr auto kBevelStyles =
    std::to_array<EnumName<TBevelStyle>>({{"bsLowered", bsLowered}, {"bsRaised", bsRaised}});

class TBevel : public TGraphicControl {
public:
    void Paint(HDC dc) override;
    void Properties(PropertyWalk& walk) override;

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};
