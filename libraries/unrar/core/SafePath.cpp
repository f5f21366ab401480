#include "SafePath.h"

#include <cwctype>

namespace unrar {

namespace {

bool IsSlash(wchar_t c) {
    return c == L'/' || c == L'\\';
}

bool IsReserved(wchar_t c) {
    return c < 0x20 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' ||
           c == L'*';
}

// CON, NUL, COM1 … open devices on Windows whatever their extension.
bool IsDeviceName(const std::wstring& component) {
    std::wstring stem;
    for (wchar_t c : component) {
        if (c == L'.' || c == L' ')
            break;
        stem += static_cast<wchar_t>(std::towupper(c));
    }
    static const wchar_t* const kDevices[] = {L"CON",    L"PRN",     L"AUX",   L"NUL",
                                              L"CONIN$", L"CONOUT$", L"CLOCK$"};
    for (const wchar_t* device : kDevices) {
        if (stem == device)
            return true;
    }
    // Windows takes the superscript digits one to three for ports as well.
    auto portDigit = [](wchar_t c) {
        return (c >= L'0' && c <= L'9') || c == 0xB9 || c == 0xB2 || c == 0xB3;
    };
    return stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
           portDigit(stem[3]);
}

} // namespace

std::wstring SafeRelativePath(const std::wstring& memberPath) {
    PathRefusal refusal;
    return SafeRelativePath(memberPath, refusal);
}

std::wstring SafeRelativePath(const std::wstring& memberPath, PathRefusal& refusal) {
    auto refuse = [&refusal](PathRefusal why) {
        refusal = why;
        return std::wstring();
    };
    std::wstring path = memberPath;
    if (path.size() >= 2 && path[1] == L':' && std::iswalpha(path[0]))
        path.erase(0, 2);

    std::wstring result;
    for (size_t at = 0; at <= path.size();) {
        size_t end = at;
        while (end < path.size() && !IsSlash(path[end]))
            ++end;
        std::wstring component = path.substr(at, end - at);
        at = end + 1;
        if (component.empty() || component == L".")
            continue;
        for (wchar_t c : component) {
            if (IsReserved(c))
                return refuse(PathRefusal::ReservedCharacter);
        }
        const bool parent = component == L"..";
        while (!component.empty() && (component.back() == L'.' || component.back() == L' '))
            component.pop_back();
        if (component.empty())
            return refuse(parent ? PathRefusal::ParentComponent : PathRefusal::DotsAndSpaces);
        if (IsDeviceName(component))
            return refuse(PathRefusal::DeviceName);
        if (!result.empty())
            result += L'/';
        result += component;
    }
    refusal = result.empty() ? PathRefusal::Empty : PathRefusal::None;
    return result;
}

} // namespace unrar
