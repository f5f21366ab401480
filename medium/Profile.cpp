#include "medium/Profile.h"

#include <algorithm>

namespace {

// The platform takes the end-of-file character of old editors for a blank as well.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n' || c == '\x1a';
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

void ForEachKey(std::string_view text, std::string_view section,
                const std::function<bool(std::string_view key, std::string_view value)>& visit) {
    // An editor's UTF-8 mark is not part of the first line.
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    section = Trimmed(section);
    enum { Before, Inside, After } state = Before;
    while (!text.empty() && state != After) {
        std::size_t end = text.find_first_of("\r\n");
        std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        std::size_t close = line.rfind(']');
        if (!line.empty() && line.front() == '[' && close != std::string_view::npos) {
            if (state == Inside)
                state = After;
            else if (SameName(Trimmed(line.substr(1, close - 1)), section))
                state = Inside;
            continue;
        }
        std::size_t equals = line.find('=');
        if (state != Inside || equals == std::string_view::npos)
            continue;
        std::string_view value = Trimmed(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        if (!visit(Trimmed(line.substr(0, equals)), value))
            return;
    }
}

std::optional<std::string> ProfileValue(std::string_view text, std::string_view section, std::string_view key,
                                        std::size_t bufferSize) {
    key = Trimmed(key);
    std::optional<std::string> found;
    ForEachKey(text, section, [&](std::string_view name, std::string_view value) {
        if (!SameName(name, key))
            return true;
        found = std::string(value.substr(0, bufferSize ? bufferSize - 1 : 0));
        return false;
    });
    return found;
}

bool SameProfileName(std::string_view a, std::string_view b) {
    return SameName(a, b);
}
