#include "toolkit/StringList.h"

#include "toolkit/Exception.h"

#include <algorithm>
#include <windows.h>

int TStringList::Compare(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                          b.data(), static_cast<int>(b.size())) -
           CSTR_EQUAL;
}

void TStringList::SetSorted(bool sorted) {
    if (sorted && !sorted_) {
        std::stable_sort(lines_.begin(), lines_.end(),
                         [](const std::string& a, const std::string& b) { return Compare(a, b) < 0; });
        lines_.erase(
            std::unique(lines_.begin(), lines_.end(),
                        [](const std::string& a, const std::string& b) { return Compare(a, b) == 0; }),
            lines_.end());
    }
    sorted_ = sorted;
}

int TStringList::Add(const std::string& line) {
    int index = Count();
    if (sorted_ && Find(line, index))
        return index;
    lines_.insert(lines_.begin() + index, line);
    Changed();
    return index;
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count())
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
    lines_.erase(lines_.begin() + index);
    Changed();
}

void TStringList::Clear() {
    if (!lines_.empty()) {
        lines_.clear();
        Changed();
    }
}

void TStringList::Assign(const TStringList& source) {
    if (&source == this)
        return;
    lines_.clear();
    for (const auto& line : source.lines_)
        if (sorted_)
            Add(line);
        else
            lines_.push_back(line);
    Changed();
}

bool TStringList::Find(const std::string& name, int& index) const {
    auto place =
        std::lower_bound(lines_.begin(), lines_.end(), name,
                         [](const std::string& a, const std::string& b) { return Compare(a, b) < 0; });
    index = static_cast<int>(place - lines_.begin());
    return place != lines_.end() && Compare(*place, name) == 0;
}

int TStringList::IndexOf(const std::string& line) const {
    int index = -1;
    if (sorted_)
        return Find(line, index) ? index : -1;
    auto found = std::find_if(lines_.begin(), lines_.end(),
                              [&line](const std::string& other) { return Compare(other, line) == 0; });
    return found == lines_.end() ? -1 : static_cast<int>(found - lines_.begin());
}

std::string TStringList::Text() const {
    std::string text;
    for (const auto& line : lines_)
        text += line + "\r\n";
    return text;
}

void TStringList::SetText(const std::string& text) {
    lines_.clear();
    std::size_t end = std::min(text.find('\0'), text.size());
    std::size_t pos = 0;
    while (pos < end) {
        std::size_t stop = text.find_first_of("\r\n", pos);
        if (stop == std::string::npos || stop > end)
            stop = end;
        std::string line = text.substr(pos, stop - pos);
        if (sorted_) {
            int index;
            if (!Find(line, index))
                lines_.insert(lines_.begin() + index, line);
        } else
            lines_.push_back(line);
        pos = stop;
        if (pos < end && text[pos] == '\r')
            ++pos;
        if (pos < end && text[pos] == '\n')
            ++pos;
    }
    Changed();
}

void TStringList::Changed() {
    if (OnChange)
        OnChange();
}
