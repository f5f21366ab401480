// What a form tells the tests about itself when asked, see InspectionProtocol.h.
#include "toolkit/Form.h"

#include "toolkit/InspectionProtocol.h"

#include <string_view>

namespace {

std::string Escaped(const std::string& text) {
    // Each character of the first list is written as a backslash and the letter at its place in the second.
    constexpr std::string_view kEscaped = "\\\t\n\r", kLetters = "\\tnr";
    std::string result;
    for (char c : text) {
        std::size_t at = kEscaped.find(c);
        if (at == std::string_view::npos)
            result += c;
        else
            result += {'\\', kLetters[at]};
    }
    return result;
}

void AppendRecord(std::string& text, TComponent& component) {
    InspectRecord record;
    component.Describe(record);
    for (std::size_t i = 0; i < record.size(); ++i) {
        if (i)
            text += '\t';
        text += record[i].first + "=" + Escaped(record[i].second);
    }
    text += '\n';
}

} // namespace

LRESULT TForm::Inspect(HWND replyTo) {
    std::string text;
    AppendRecord(text, *this);
    for (const auto& component : Components())
        AppendRecord(text, *component);
    COPYDATASTRUCT data{kInspectionMarker, static_cast<DWORD>(text.size()), text.data()};
    SendMessageA(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(handle_), reinterpret_cast<LPARAM>(&data));
    return 1;
}
