#include "toolkit/controls/Edit.h"

#include "toolkit/Exception.h"
#include "toolkit/OemText.h"
#include "toolkit/Properties.h"

std::string TCustomEdit::Text() const {
    if (!handle_)
        return text_;
    if (standIn_) {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(handle_)) + 1, L'\0');
        text.resize(
            static_cast<std::size_t>(GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()))));
        return WideToOem(text);
    }
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(handle_)) + 1, '\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextA(handle_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TCustomEdit::SetText(const std::string& text) {
    text_ = text.substr(0, text.find('\0'));
    if (!handle_)
        return;
    bool whole;
    if (standIn_) {
        std::wstring wide = OemToWide(text_);
        SetWindowTextW(handle_, wide.c_str());
        whole = GetWindowTextLengthW(handle_) == static_cast<int>(wide.size());
    } else {
        SetWindowTextA(handle_, text_.c_str());
        whole = GetWindowTextLengthA(handle_) == static_cast<int>(text_.size());
    }
    if (!whole)
        throw Exception("Text exceeds memo capacity");
}

void TCustomEdit::CreateHandle() {
    standIn_ = NeedsOemStandIn(Font) ? OemStandInFont(Font) : ::Font();
    TSystemClassControl::CreateHandle();
}

void TCustomEdit::HandleCreated() {
    if (standIn_)
        SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(standIn_.Get()), FALSE);
    // No limit of its own: what the system can hold, and SetText says when it cannot.
    SendMessageA(handle_, EM_LIMITTEXT, 0, 0);
    SendMessageA(handle_, EM_SETREADONLY, ReadOnly, 0);
    SetText(text_);
}

void TCustomEdit::FontChanged() {
    if (!handle_)
        return;
    // The window's API follows the stand-in: a change of either way needs a new window.
    if (NeedsOemStandIn(Font) != static_cast<bool>(standIn_)) {
        text_ = Text();
        DestroyHandle();
        Handle();
    } else if (standIn_) {
        standIn_ = OemStandInFont(Font);
        SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(standIn_.Get()), TRUE);
    } else
        TSystemClassControl::FontChanged();
}

void TCustomEdit::Properties(PropertyWalk& walk) {
    TSystemClassControl::Properties(walk);
    static constexpr Property<TCustomEdit> properties[] = {
        {"Text", as::Text<&TCustomEdit::SetText>, "text", shown::Text<&TCustomEdit::Text>},
        {"ReadOnly", as::Bool<&TCustomEdit::ReadOnly>, "readonly", shown::Bool<&TCustomEdit::ReadOnly>},
        // The face the system drew with, which may not be the one asked for; none before the window.
        {nullptr, nullptr, "drawn.face",
         [](const TCustomEdit& edit) {
             if (!edit.handle_)
                 return std::string();
             return DrawnFace(reinterpret_cast<HFONT>(SendMessageA(edit.handle_, WM_GETFONT, 0, 0)));
         }},
    };
    walk(*this, properties);
}

void TEdit::FillCreateParams(CreateParams& params) {
    params.className = "EDIT";
    params.unicode = StandingIn();
    params.style |= ES_AUTOHSCROLL;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TMemo::FillCreateParams(CreateParams& params) {
    params.className = "EDIT";
    params.unicode = StandingIn();
    params.style |= ES_MULTILINE | ES_AUTOVSCROLL;
    // Without a horizontal scroll bar the lines wrap; with one they stay whole.
    if (ScrollBars == ssHorizontal || ScrollBars == ssBoth)
        params.style |= WS_HSCROLL | ES_AUTOHSCROLL;
    if (ScrollBars == ssVertical || ScrollBars == ssBoth)
        params.style |= WS_VSCROLL;
    if (BorderStyle == cbSingle)
        params.exStyle |= WS_EX_CLIENTEDGE;
}

void TMemo::Properties(PropertyWalk& walk) {
    TCustomEdit::Properties(walk);
    static constexpr Property<TMemo> properties[] = {
        {"ScrollBars", as::Enum<&TMemo::ScrollBars, kScrollStyles>},
        {"BorderStyle", as::Enum<&TMemo::BorderStyle, kControlBorders>},
    };
    walk(*this, properties);
}
