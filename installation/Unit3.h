// The make-directory dialog: a new directory below the one current in the directory selection
// dialog, which then moves into it.
#pragma once

#include "installation/Settings.h"
#include "installation/Unit2.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Label.h"
#include "toolkit/controls/SpeedButton.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Form.h"
#include "toolkit/SystemError.h"
#include "toolkit/Text.h"

class TForm3 : public TForm {
public:
    TLabel* Label1 = nullptr;
    TEdit* Edit1 = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;
    TSpeedButton* SpeedButton2 = nullptr;

    TForm3();

    HANDLER(void, FormActivate)(TObject*) { Edit1->SetText(Settings::DIR); }
    // Ok: the name is made in the directory dialog's current directory, which then moves into it.
    HANDLER(void, SpeedButton1Click)(TObject*) {
        std::string name = Edit1->Text();
        DWORD attributes = GetFileAttributesA(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            MessageDlg("The " + name + " Directory already exists, please choose another name!", mtWarning,
                       mbOK);
            return;
        }
        if (!CreateDirectoryA(name.c_str(), nullptr))
            throw EInOutError(GetLastError());
        Form2->DirectoryListBox1->SetDirectory(JoinPath(Form2->DirectoryListBox1->Directory(), name));
        Close();
        Form2->Show();
    }
    HANDLER(void, SpeedButton2Click)(TObject*) {
        Close();
        Form2->Show();
    }
};

extern TForm3* Form3;
