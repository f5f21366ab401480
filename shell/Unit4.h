// The information-file viewer: the product's .nfo file in the OEM character set, read afresh at each
// activation and closed by a click.
#pragma once

#include "installation/Settings.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/Form.h"

// The whole file, read while others may not write it; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& contents);

// A text's line ends made CR LF: a lone CR or a lone LF becomes a pair. The text ends at its first NUL.
std::string WithWindowsLineEnds(const std::string& text);

class TForm4 : public TForm {
public:
    TMemo* Memo1 = nullptr;

    TForm4();

    HANDLER(void, FormActivate)(TObject*) {
        Memo1->SetText("");
        std::string contents;
        if (!Settings::NFO.empty() && ReadWholeFile(Settings::ProgramDirectory() + Settings::NFO, contents)) {
            Memo1->SetText(WithWindowsLineEnds(contents));
            SetCaption(Settings::NFO);
        } else
            Memo1->SetText(("Can`t load file " + Settings::NFO).substr(0, kMaxMessage));
    }
    HANDLER(void, FormClick)(TObject*) { Close(); }
    HANDLER(void, Memo1Click)(TObject*) { Close(); }

private:
    static constexpr std::size_t kMaxMessage = 255;
};

extern TForm4* Form4;
