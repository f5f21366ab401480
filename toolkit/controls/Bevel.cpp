#include "toolkit/controls/Bevel.h"

#include "toolkit/Properties.h"

namespace {
void Line(HDC dc, int x1, int y1, int x2, int y2, TColor color) {
    Pen pen(CreatePen(PS_SOLID, 1, ColorToRGB(color)));
    Selection selected(dc, pen.Get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}
} // namespace

void TBevel::Paint(HDC dc) {
    TColor first = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor second = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    int w = width_, h = height_;
    if (shape_ == bsBox) {
        Line(dc, 0, h - 1, 0, 0, first);
        Line(dc, 0, 0, w - 1, 0, first);
    } else {
        // Two nested outlines, one pixel apart, make the engraved or embossed groove.
        Line(dc, 0, h - 2, 0, 0, first);
        Line(dc, 0, 0, w - 1, 0, first);
        Line(dc, w - 2, 0, w - 2, h - 2, first);
        Line(dc, w - 2, h - 2, -1, h - 2, first);
        Line(dc, 1, h - 3, 1, 1, second);
        Line(dc, 1, 1, w - 2, 1, second);
    }
    Line(dc, w - 1, 0, w - 1, h - 1, second);
    Line(dc, w - 1, h - 1, -1, h - 1, second);
}

void TBevel::Properties(PropertyWalk& walk) {
    TGraphicControl::Properties(walk);
    static constexpr Property<TBevel> properties[] = {
        // Read with the definition, before any window is there to repaint.
        {"Shape", as::Enum<&TBevel::shape_, kBevelShapes>},
        {"Style", as::Enum<&TBevel::style_, kBevelStyles>},
    };
    walk(*this, properties);
}
