#include "Edit.h"

#include "Exception.h"

std::string TCustomEdit::Text() const {
    if (!handle_)
        return text_;
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(handle_)) + 1, '\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextA(handle_, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TCustomEdit::SetText(const std::string& text) {
    text_ = text.substr(0, text.find('\0'));
    if (!handle_)
        return;
    SetWindowTextA(handle_, text_.c_str());
    if (GetWindowTextLengthA(handle_) != static_cast<int>(text_.size()))
        throw Exception("Text exceeds memo capacity");
}

void TCustomEdit::HandleCreated() {
    // No limit of its own: what the system can hold, and SetText says when it cannot.
    SendMessageA(handle_, EM_LIMITTEXT, 0, 0);
    SendMessageA(handle_, EM_SETREADONLY, ReadOnly, 0);
    SetText(text_);
}

void TCustomEdit::SetProperty(const std::string& name, const DefValue& value, Binder& binder) {
    if (name == "Text")
        SetText(value.String());
    else if (name == "ReadOnly")
        ReadOnly = value.Bool();
    else
        TWindowedControl::SetProperty(name, value, binder);
}

void TCustomEdit::Describe(InspectRecord& record) const {
    TWindowedControl::Describe(record);
    record.emplace_back("text", Text());
    record.emplace_back("readonly", ReadOnly ? "1" : "0");
}

void TEdit::FillCreateParams(CreateParams& params) {
    params.className = "EDIT";
    params.style |= ES_AUTOHSCROLL;
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TMemo::FillCreateParams(CreateParams& params) {
    params.className = "EDIT";
    params.style |= ES_MULTILINE | ES_AUTOVSCROLL;
    // Without a horizontal scroll bar the lines wrap; with one they stay whole.
    if (ScrollBars == ssHorizontal || ScrollBars == ssBoth)
        params.style |= WS_HSCROLL | ES_AUTOHSCROLL;
    if (ScrollBars == ssVertical || ScrollBars == ssBoth)
        params.style |= WS_VSCROLL;
    if (BorderStyle == cbSingle)
        params.exStyle |= WS_EX_CLIENTEDGE;
}

void TMemo::SetProperty(const std::string& name, const DefValue& value, Binder& binder) {
    if (name == "ScrollBars")
        ScrollBars = static_cast<TScrollStyle>(value.Enum({{"ssNone", ssNone},
                                                           {"ssHorizontal", ssHorizontal},
                                                           {"ssVertical", ssVertical},
                                                           {"ssBoth", ssBoth}}));
    else if (name == "BorderStyle")
        BorderStyle = static_cast<TControlBorder>(value.Enum({{"bsNone", cbNone}, {"bsSingle", cbSingle}}));
    else
        TCustomEdit::SetProperty(name, value, binder);
}
