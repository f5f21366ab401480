#include "shell/Unit4.h"

#include "installation/Settings.h"

TForm4* Form4 = nullptr;

namespace {

constexpr std::size_t kMaxMessage = 255;

// The whole file, read while others may not write it; nothing when it cannot be opened.
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

} // namespace

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
    Load(
        {
            {"FormActivate", Method(this, &TForm4::FormActivate)},
            {"FormClick", Method(this, &TForm4::FormClick)},
            {"Memo1Click", Method(this, &TForm4::Memo1Click)},
        },
        {Field("Memo1", Memo1)});
}

void TForm4::FormActivate(TObject*) {
    std::string path = Settings::ProgramDirectory() + Settings::NFO;
    Memo1->SetText("");
    std::string contents;
    if (!Settings::NFO.empty() && ReadWholeFile(path, contents)) {
        Memo1->SetText(WithWindowsLineEnds(contents));
        SetCaption(Settings::NFO);
    } else
        Memo1->SetText(("Can`t load file " + Settings::NFO).substr(0, kMaxMessage));
}

void TForm4::FormClick(TObject*) {
    Close();
}

void TForm4::Memo1Click(TObject*) {
    Close();
}
