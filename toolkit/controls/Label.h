// A text label: windowless, transparent or filled, of fixed size or sized to its text.
#pragma once

#include "toolkit/Control.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
constexpr auto kAlignments = std::to_array<EnumName<TAlignment>>(
    {{"taLeftJustify", taLeftJustify}, {"taRightJustify", taRightJustify}, {"taCenter", taCenter}});

class TLabel : public TGraphicControl {
public:
    TLabel();

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    void SetAlignment(TAlignment alignment);

    void Paint(HDC dc) override;
    void Properties(PropertyWalk& walk) override;

protected:
    void FontChanged() override;

private:
    UINT DrawFlags() const;
    void AdjustSize();

    std::string caption_;
    bool autoSize_ = true;
    bool transparent_ = false;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    TAlignment alignment_ = taLeftJustify;
};
