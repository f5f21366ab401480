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

// Any process on the desktop may ask, for any of the forms, hidden ones too, and is told what their
// controls hold: captions, texts (the information file's among them), the chosen directory and the
// folders beside it, the drives with their labels and shares, bounds, fonts, colours and progress.
// Nothing is changed by asking, and the answer goes only to a window that exists. The program has one
// thread: a reply window whose thread does not take it must not hold the program up longer than
// a moment, so the send gives up then and the asker goes without.
LRESULT TForm::Inspect(HWND replyTo) {
    if (!IsWindow(replyTo))
        return 0;
    std::string text;
    AppendRecord(text, *this);
    for (const auto& component : Components())
        AppendRecord(text, *component);
    COPYDATASTRUCT data{kInspectionMarker, static_cast<DWORD>(text.size()), text.data()};
    DWORD_PTR taken = 0;
    return SendMessageTimeoutA(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(handle_),
                               reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kInspectionReplyMs, &taken)
               ? 1
               : 0;
}
