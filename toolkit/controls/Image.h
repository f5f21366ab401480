// A picture control: a JPEG from the program's resources, stretched to the control or drawn
// unscaled from its top-left corner.
#pragma once

#include "toolkit/Control.h"
#include "toolkit/Jpeg.h"

class TImage : public TGraphicControl {
public:
    // Names the program's resource holding the JPEG.
    void SetPicture(const std::string& resource);
    void SetStretch(bool stretch);
    // The control takes the picture's size.
    void SetAutoSize(bool autoSize);

    void Paint(HDC dc) override;
    void Properties(PropertyWalk& walk) override;

private:
    void FitToPicture();

    Picture picture_;
    bool stretch_ = false;
    bool autoSize_ = false;
};
