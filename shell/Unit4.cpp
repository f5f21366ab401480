#include "shell/Unit4.h"

TForm4* Form4 = nullptr;

bool ReadWholeFile(const std::string& path, std::string& contents) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    contents.clear();
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got > 0)
        contents.append(buffer, got);
    CloseHandle(file);
    if (!ok)
        throw Exception("Cannot read " + path);
    return true;
}

std::string WithWindowsLineEnds(const std::string& text) {
    std::string result;
    std::size_t end = std::min(text.find('\0'), text.size());
    result.reserve(end + end / 16);
    for (std::size_t i = 0; i < end; ++i) {
        char c = text[i];
        if (c == '\r') {
            result += "\r\n";
            if (i + 1 < end && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n')
            result += "\r\n";
        else
            result += c;
    }
    return result;
}

TForm4::TForm4() : TForm("TForm4") {
    Load({Field("Memo1", Memo1)});
}
