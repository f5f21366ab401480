#include "VolumeNames.h"

#include <cwctype>

namespace unrar {

namespace {

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}
bool IsSeparator(wchar_t c) {
    return c == L'/' || c == L'\\' || c == L':';
}

bool EqualsIgnoringCase(const std::wstring& text, size_t at, const wchar_t* ascii) {
    for (size_t i = 0; ascii[i]; ++i) {
        if (at + i >= text.size() || static_cast<wchar_t>(std::towlower(text[at + i])) != ascii[i])
            return false;
    }
    return true;
}

// The digits of ".partN.rar": where they start and how many there are.
bool FindPartNumber(const std::wstring& name, size_t& start, size_t& count) {
    const size_t extension = 4; // ".rar"
    if (name.size() < extension || !EqualsIgnoringCase(name, name.size() - extension, L".rar"))
        return false;
    size_t end = name.size() - extension;
    size_t first = end;
    while (first > 0 && IsDigit(name[first - 1]))
        --first;
    if (first == end || first < 5 || !EqualsIgnoringCase(name, first - 5, L".part"))
        return false;
    start = first;
    count = end - first;
    return true;
}

// Adds one to the decimal digits name[start, start + count), widening them when they overflow.
std::wstring Increment(std::wstring name, size_t start, size_t count) {
    size_t i = start + count;
    while (i > start) {
        --i;
        if (name[i] != L'9') {
            ++name[i];
            return name;
        }
        name[i] = L'0';
    }
    name.insert(start, 1, L'1');
    return name;
}

} // namespace

bool HasPartNumber(const std::wstring& name) {
    size_t start, count;
    return FindPartNumber(name, start, count);
}

std::wstring NextVolumeName(const std::wstring& name, bool partNumbers) {
    size_t start, count;
    if (partNumbers && FindPartNumber(name, start, count))
        return Increment(name, start, count);

    size_t dot = name.size();
    while (dot > 0 && name[dot - 1] != L'.' && !IsSeparator(name[dot - 1]))
        --dot;
    if (dot == 0 || name[dot - 1] != L'.')
        return name + L".r00";
    std::wstring extension = name.substr(dot);
    bool upper = !extension.empty() && std::iswupper(extension[0]);
    // name.rar, or any other first name, is followed by .r00.
    if (extension.size() != 3 || !std::iswalpha(extension[0]) || !IsDigit(extension[1]) ||
        !IsDigit(extension[2]))
        return name.substr(0, dot) + (upper ? L"R00" : L"r00");
    if (extension[1] != L'9' || extension[2] != L'9')
        return Increment(name, dot + 1, 2);
    wchar_t letter = extension[0];
    if (letter == L'z' || letter == L'Z')
        return {};
    return name.substr(0, dot) + static_cast<wchar_t>(letter + 1) + L"00";
}

std::wstring InFolderOf(const std::wstring& reference, const std::wstring& name) {
    size_t folder = reference.find_last_of(L"/\\:");
    size_t file = name.find_last_of(L"/\\:");
    return reference.substr(0, folder == std::wstring::npos ? 0 : folder + 1) +
           name.substr(file == std::wstring::npos ? 0 : file + 1);
}

} // namespace unrar
