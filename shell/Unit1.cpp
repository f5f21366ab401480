#include "shell/Unit1.h"

#include "installation/Settings.h"
#include "installation/Unit2.h"
#include "shell/MidasFailure.h"
#include "shell/Unit4.h"

TForm1* Form1 = nullptr;

namespace {
constexpr std::size_t kMaxModuleName = 511;
constexpr char kModuleFailure[] = "MIDAS ERROR";
} // namespace

TForm1::TForm1() : TForm("TForm1") {
    Load(
        {
            {"FormCreate", Method(this, &TForm1::FormCreate)},
            {"FormShow", Method(this, &TForm1::FormShow)},
            {"Image1MouseMove", Method(this, &TForm1::Image1MouseMove)},
            {"Label1MouseMove", Method(this, &TForm1::Label1MouseMove)},
            {"Image2MouseMove", Method(this, &TForm1::Image2MouseMove)},
            {"Label2MouseMove", Method(this, &TForm1::Label2MouseMove)},
            {"Image3MouseMove", Method(this, &TForm1::Image3MouseMove)},
            {"Label3MouseMove", Method(this, &TForm1::Label3MouseMove)},
            {"Image4MouseMove", Method(this, &TForm1::Image4MouseMove)},
            {"Label1Click", Method(this, &TForm1::Label1Click)},
            {"Image2Click", Method(this, &TForm1::Image2Click)},
            {"Install1Click", Method(this, &TForm1::Install1Click)},
            {"Label2Click", Method(this, &TForm1::Label2Click)},
            {"Image3Click", Method(this, &TForm1::Image3Click)},
            {"rlxnfo1Click", Method(this, &TForm1::rlxnfo1Click)},
            {"Label3Click", Method(this, &TForm1::Label3Click)},
            {"Image4Click", Method(this, &TForm1::Image4Click)},
            {"Quit1Click", Method(this, &TForm1::Quit1Click)},
        },
        {
            Field("Image1", Image1),
            Field("Label1", Label1),
            Field("Label2", Label2),
            Field("Label3", Label3),
            Field("Label4", Label4),
            Field("ScrollText1", ScrollText1),
            Field("Image2", Image2),
            Field("Image3", Image3),
            Field("Image4", Image4),
            Field("PopupMenu1", PopupMenu1),
            Field("Install1", Install1),
            Field("rlxnfo1", rlxnfo1),
            Field("Quit1", Quit1),
        });
}

void TForm1::FormCreate(TObject*) {
    Settings::Load();
    SetBrushStyle(bsClear);
    Label4->SetCaption(Settings::APPZ);
    Image2->Hide();
    Image3->Hide();
    Image4->Hide();
    // Straight into the list: the next tick shows it.
    ScrollText1->Items().SetText(Settings::SCRTXT);
}

void TForm1::FormShow(TObject*) {
    Module = 0;
    PlayHandle = 0;
    Playmod("install.dat");
}

void TForm1::Playmod(const std::string& FileName) {
    if (!FileName.empty()) {
        if (PlayHandle != 0 && !MIDASok(MIDASstopModule(PlayHandle)))
            MidasFailure(kModuleFailure);
        PlayHandle = 0;
        if (Module != 0 && !MIDASok(MIDASfreeModule(Module)))
            MidasFailure(kModuleFailure);
        Module = MIDASloadModule(FileName.substr(0, kMaxModuleName).c_str());
        if (Module == 0)
            MidasFailure(kModuleFailure);
        MIDASmoduleInfo info;
        if (!MIDASok(MIDASgetModuleInfo(Module, &info)))
            MidasFailure(kModuleFailure);
    }
    PlayHandle = MIDASplayModule(Module, 1);
    if (PlayHandle == 0)
        MidasFailure(kModuleFailure);
}

void TForm1::Light(TImage* word) {
    for (TImage* image : {Image2, Image3, Image4})
        image->SetVisible(image == word);
}

void TForm1::Image1MouseMove(TObject*, TShiftState, int, int) {
    for (TLabel* label : {Label1, Label2, Label3})
        label->Font.SetColor(clWhite);
    Light(nullptr);
}

void TForm1::Label1MouseMove(TObject*, TShiftState, int, int) {
    Light(Image2);
}
void TForm1::Image2MouseMove(TObject*, TShiftState, int, int) {
    Light(Image2);
}
void TForm1::Label2MouseMove(TObject*, TShiftState, int, int) {
    Light(Image3);
}
void TForm1::Image3MouseMove(TObject*, TShiftState, int, int) {
    Light(Image3);
}
void TForm1::Label3MouseMove(TObject*, TShiftState, int, int) {
    Light(Image4);
}
void TForm1::Image4MouseMove(TObject*, TShiftState, int, int) {
    Light(Image4);
}

void TForm1::OpenInstall() {
    Form2->ShowModal();
}
void TForm1::Label1Click(TObject*) {
    OpenInstall();
}
void TForm1::Image2Click(TObject*) {
    OpenInstall();
}
void TForm1::Install1Click(TObject*) {
    OpenInstall();
}

void TForm1::OpenInfo() {
    Form4->ShowModal();
}
void TForm1::Label2Click(TObject*) {
    OpenInfo();
}
void TForm1::Image3Click(TObject*) {
    OpenInfo();
}
void TForm1::rlxnfo1Click(TObject*) {
    OpenInfo();
}

void TForm1::Label3Click(TObject*) {
    Close();
}
void TForm1::Image4Click(TObject*) {
    Close();
}
void TForm1::Quit1Click(TObject*) {
    Close();
}
