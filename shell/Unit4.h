// The information-file viewer: the product's .nfo file in the OEM character set, read afresh at each
// activation and closed by a click.
#pragma once

#include "toolkit/controls/Edit.h"
#include "toolkit/Form.h"

class TForm4 : public TForm {
public:
    TMemo* Memo1 = nullptr;

    TForm4();

    void FormActivate(TObject* Sender);
    void FormClick(TObject* Sender);
    void Memo1Click(TObject* Sender);
};

extern TForm4* Form4;

// A text's line ends made CR LF: a lone CR or a lone LF becomes a pair. The text ends at its first NUL.
std::string WithWindowsLineEnds(const std::string& text);
