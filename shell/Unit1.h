// The main window: the hub every road of the installer starts from.
#pragma once

#include "components/ScrollText.h"
#include "shell/midasdll.h"
#include "toolkit/controls/Image.h"
#include "toolkit/controls/Label.h"
#include "toolkit/Form.h"
#include "toolkit/Menu.h"

class TForm1 : public TForm {
public:
    TImage* Image1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4 = nullptr;
    TScrollText* ScrollText1 = nullptr;
    TImage* Image2 = nullptr;
    TImage* Image3 = nullptr;
    TImage* Image4 = nullptr;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* Install1 = nullptr;
    TMenuItem* rlxnfo1 = nullptr;
    TMenuItem* Quit1 = nullptr;

    TForm1();

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void Image1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Label1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Image2MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Label2MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Image3MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Label3MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Image4MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Label1Click(TObject* Sender);
    void Image2Click(TObject* Sender);
    void Install1Click(TObject* Sender);
    void Label2Click(TObject* Sender);
    void Image3Click(TObject* Sender);
    void rlxnfo1Click(TObject* Sender);
    void Label3Click(TObject* Sender);
    void Image4Click(TObject* Sender);
    void Quit1Click(TObject* Sender);

    // Loads and starts a module, replacing the one that plays; an empty name plays the loaded
    // module once more.
    void Playmod(const std::string& FileName);

private:
    // Lights one of the three words, or none.
    void Light(TImage* word);
    void OpenInstall();
    void OpenInfo();

    MIDASmodule Module = 0;
    MIDASmodulePlayHandle PlayHandle = 0;
};

extern TForm1* Form1;
