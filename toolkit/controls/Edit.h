// Text boxes: a single-line edit, and a multi-line one that can be read-only with scroll bars.
#pragma once

#include "toolkit/SystemClassControl.h"

class TCustomEdit : public TSystemClassControl {
public:
    std::string Text() const;
    // Throws when the control cannot hold the whole text.
    void SetText(const std::string& text);
    bool ReadOnly = false;

    void Properties(PropertyWalk& walk) override;

protected:
    bool StandingIn() const { return static_cast<bool>(standIn_); }
    void CreateHandle() override;
    void HandleCreated() override;
    void FontChanged() override;

private:
    std::string text_;
    // Set while OEM text is shown through a stand-in face, see OemText.h.
    ::Font standIn_;
};

class TEdit : public TCustomEdit {
protected:
    void FillCreateParams(CreateParams& params) override;
};

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TControlBorder { cbNone, cbSingle };
constexpr auto kScrollStyles = std::to_array<EnumName<TScrollStyle>>(
    {{"ssNone", ssNone}, {"ssHorizontal", ssHorizontal}, {"ssVertical", ssVertical}, {"ssBoth", ssBoth}});
constexpr auto kControlBorders =
    std::to_array<EnumName<TControlBorder>>({{"bsNone", cbNone}, {"bsSingle", cbSingle}});

class TMemo : public TCustomEdit {
public:
    TScrollStyle ScrollBars = ssNone;
    TControlBorder BorderStyle = cbSingle;

    void Properties(PropertyWalk& walk) override;

protected:
    void FillCreateParams(CreateParams& params) override;
};
