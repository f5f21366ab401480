// What a form tells the tests about itself when asked, see InspectionProtocol.h.
#include "toolkit/Form.h"

#include "toolkit/InspectionProtocol.h"

namespace {

std::string Escaped(const std::string& text) {
    std::string result;
    for (char c : text) {
        switch (c) {
        case '\\':
            result += "\\\\";
            break;
        case '\t':
            result += "\\t";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            result += "\\r";
            break;
        default:
            result += c;
        }
    }
    return result;
}

void AppendRecord(std::string& text, const InspectRecord& record) {
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
    InspectRecord record;
    Describe(record);
    AppendRecord(text, record);
    for (const auto& component : Components()) {
        record.clear();
        component->Describe(record);
        AppendRecord(text, record);
    }
    COPYDATASTRUCT data{kInspectionMarker, static_cast<DWORD>(text.size()), text.data()};
    SendMessageA(replyTo, WM_COPYDATA, reinterpret_cast<WPARAM>(handle_), reinterpret_cast<LPARAM>(&data));
    return 1;
}
