#include "installation/Unit3.h"

#include "installation/Settings.h"
#include "installation/Unit2.h"
#include "toolkit/Dialogs.h"
#include "toolkit/SystemError.h"
#include "toolkit/Text.h"

TForm3* Form3 = nullptr;

TForm3::TForm3() : TForm("TForm3") {
    Load(
        {
            {"FormActivate", Method(this, &TForm3::FormActivate)},
            {"SpeedButton1Click", Method(this, &TForm3::SpeedButton1Click)},
            {"SpeedButton2Click", Method(this, &TForm3::SpeedButton2Click)},
        },
        {Field("Label1", Label1), Field("Edit1", Edit1), Field("SpeedButton1", SpeedButton1),
         Field("SpeedButton2", SpeedButton2)});
}

void TForm3::FormActivate(TObject*) {
    Edit1->SetText(Settings::DIR);
}

void TForm3::SpeedButton1Click(TObject*) {
    std::string name = Edit1->Text();
    DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        MessageDlg("The " + name + " Directory already exists, please choose another name!", mtWarning, mbOK);
        return;
    }
    if (!CreateDirectoryA(name.c_str(), nullptr))
        throw EInOutError(GetLastError());
    Form2->DirectoryListBox1->SetDirectory(JoinPath(Form2->DirectoryListBox1->Directory(), name));
    Close();
    Form2->Show();
}

void TForm3::SpeedButton2Click(TObject*) {
    Close();
    Form2->Show();
}
