// The main window: the hub every road of the installer starts from.
#pragma once

#include "components/ScrollText.h"
#include "installation/Settings.h"
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

    HANDLER(void, FormCreate)(TObject*) {
        Settings::Load();
        SetBrushStyle(bsClear);
        Label4->SetCaption(Settings::APPZ);
        Image2->Hide();
        Image3->Hide();
        Image4->Hide();
        // Straight into the list: the next tick shows it.
        ScrollText1->Items().SetText(Settings::SCRTXT);
    }
    HANDLER(void, FormShow)(TObject*) {
        Module = 0;
        PlayHandle = 0;
        Playmod("install.dat");
    }

    // The mouse over the picture's background puts out the words; over a word or its label, lights it.
    HANDLER(void, Image1MouseMove)(TObject*, TShiftState, int, int) {
        for (TLabel* label : {Label1, Label2, Label3})
            label->Font.SetColor(clWhite);
        Light(nullptr);
    }
    HANDLER(void, Label1MouseMove)(TObject*, TShiftState, int, int) { Light(Image2); }
    HANDLER(void, Image2MouseMove)(TObject*, TShiftState, int, int) { Light(Image2); }
    HANDLER(void, Label2MouseMove)(TObject*, TShiftState, int, int) { Light(Image3); }
    HANDLER(void, Image3MouseMove)(TObject*, TShiftState, int, int) { Light(Image3); }
    HANDLER(void, Label3MouseMove)(TObject*, TShiftState, int, int) { Light(Image4); }
    HANDLER(void, Image4MouseMove)(TObject*, TShiftState, int, int) { Light(Image4); }

    HANDLER(void, Label1Click)(TObject*) { OpenInstall(); }
    HANDLER(void, Image2Click)(TObject*) { OpenInstall(); }
    HANDLER(void, Install1Click)(TObject*) { OpenInstall(); }
    HANDLER(void, Label2Click)(TObject*) { OpenInfo(); }
    HANDLER(void, Image3Click)(TObject*) { OpenInfo(); }
    HANDLER(void, rlxnfo1Click)(TObject*) { OpenInfo(); }
    HANDLER(void, Label3Click)(TObject*) { Close(); }
    HANDLER(void, Image4Click)(TObject*) { Close(); }
    HANDLER(void, Quit1Click)(TObject*) { Close(); }

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
