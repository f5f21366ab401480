#include "tests/driver/Driver.h"

#include "toolkit/InspectionProtocol.h"

#include <stdexcept>

namespace driver {

static std::string Unescape(const std::string& value, const std::string& line) {
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            text += value[i];
            continue;
        }
        char escaped = ++i < value.size() ? value[i] : '\0';
        switch (escaped) {
        case '\\':
            text += '\\';
            break;
        case 't':
            text += '\t';
            break;
        case 'n':
            text += '\n';
            break;
        case 'r':
            text += '\r';
            break;
        default:
            throw std::runtime_error("bad escape in inspection line: " + line);
        }
    }
    return text;
}

static Record ParseRecord(const std::string& line) {
    Record record;
    size_t start = 0;
    for (;;) {
        size_t end = line.find('\t', start);
        std::string field = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
        size_t equals = field.find('=');
        if (equals == std::string::npos || equals == 0)
            throw std::runtime_error("inspection field \"" + field + "\" is not key=value in line: " + line);
        std::string key = field.substr(0, equals);
        if (!record.emplace(key, Unescape(field.substr(equals + 1), line)).second)
            throw std::runtime_error("inspection key " + key + " repeated in line: " + line);
        if (end == std::string::npos)
            return record;
        start = end + 1;
    }
}

Inspection ParseInspection(const std::string& text) {
    Inspection inspection;
    bool first = true;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        Record record = ParseRecord(text.substr(start, end - start));
        if (first)
            inspection.form = std::move(record);
        else
            inspection.components.push_back(std::move(record));
        first = false;
        start = end + 1;
    }
    if (first)
        throw std::runtime_error("the inspection is empty");
    if (!inspection.form.count("name") || !inspection.form.count("kind"))
        throw std::runtime_error("the inspection's first line does not describe a form (no name= or kind=)");
    return inspection;
}

const Record& Inspection::Find(const std::string& name) const {
    const Record* found = nullptr;
    for (const Record& component : components) {
        auto it = component.find("name");
        if (it == component.end() || it->second != name)
            continue;
        if (found)
            throw std::runtime_error("form " + form.at("name") + " has more than one component " + name);
        found = &component;
    }
    if (found)
        return *found;
    std::string names;
    for (const Record& component : components) {
        auto it = component.find("name");
        names += " " + (it == component.end() ? std::string("(unnamed)") : it->second);
    }
    throw std::runtime_error("form " + form.at("name") + " has no component " + name + "; it has:" + names);
}

Record Fields(const Record& record, const Record& like) {
    Record values;
    for (const auto& [key, value] : like) {
        auto it = record.find(key);
        values[key] = it == record.end() ? "(none)" : it->second;
    }
    return values;
}

const std::string& Field(const Record& record, const std::string& key) {
    auto it = record.find(key);
    if (it != record.end())
        return it->second;
    auto name = record.find("name");
    throw std::runtime_error("record " + (name == record.end() ? std::string("(unnamed)") : name->second) +
                             " has no " + key);
}

static LRESULT CALLBACK ReplyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    auto* reply = reinterpret_cast<std::string*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (data->dwData != kInspectionMarker || !reply)
        return FALSE;
    reply->assign(static_cast<const char*>(data->lpData), data->cbData);
    return TRUE;
}

Inspection Inspect(HWND form) {
    static const UINT InspectMessage = RegisterWindowMessageA(kInspectMessage);
    static const ATOM ReplyClass = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = ReplyProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "KorvadelInspectionReply";
        return RegisterClassA(&windowClass);
    }();

    HWND replyWindow = CreateWindowExA(0, MAKEINTATOM(ReplyClass), "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    if (!replyWindow)
        throw std::runtime_error("cannot create the inspection reply window");
    std::string reply;
    SetWindowLongPtrA(replyWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&reply));
    // The form's WM_COPYDATA arrives while this thread waits in SendMessageTimeout.
    DWORD_PTR result = 0;
    bool answered = SendMessageTimeoutA(form, InspectMessage, reinterpret_cast<WPARAM>(replyWindow), 0,
                                        SMTO_NORMAL, 5000, &result) != 0;
    DestroyWindow(replyWindow);
    std::string which = "window " + Describe(form);
    if (!answered)
        throw std::runtime_error(which + " did not answer KorvadelInspect within 5000 ms");
    if (reply.empty())
        throw std::runtime_error(which + " answered KorvadelInspect without sending its inspection");
    return ParseInspection(reply);
}

} // namespace driver
