#include "shell/Unit1.h"

#include "installation/Unit2.h"
#include "shell/MidasFailure.h"
#include "shell/Unit4.h"

TForm1* Form1 = nullptr;

namespace {
constexpr std::size_t kMaxModuleName = 511;
constexpr char kModuleFailure[] = "MIDAS ERROR";
} // namespace

TForm1::TForm1() : TForm("TForm1") {
    Load({
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

void TForm1::OpenInstall() {
    Form2->ShowModal();
}

void TForm1::OpenInfo() {
    Form4->ShowModal();
}
