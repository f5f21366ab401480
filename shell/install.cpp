// The program body: the music library is started before anything else and stopped after the last
// window has closed; in between the five windows are created and the message loop runs.
#include "installation/InstallationKinds.h"
#include "installation/Unit2.h"
#include "installation/Unit3.h"
#include "installation/Unit5.h"
#include "shell/midasdll.h"
#include "shell/MidasFailure.h"
#include "shell/Unit1.h"
#include "shell/Unit4.h"
#include "toolkit/Application.h"

namespace {
constexpr char kStartupFailure[] = "MIDAS Error";
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // An empty card reader or DVD drive touched anywhere (the drive box, the free space, the search
    // for the next volume) would otherwise get the system's own box about it, over our windows.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    MIDASstartup();
    if (!MIDASok(MIDASinit()))
        MidasFailure(kStartupFailure);
    if (!MIDASok(MIDASstartBackgroundPlay(0)))
        MidasFailure(kStartupFailure);

    RegisterProgramKinds();
    Application.SetTitle("Korvadel Installer v1.0");
    try {
        Application.CreateForm(Form1);
        Application.CreateForm(Form2);
        Application.CreateForm(Form3);
        Application.CreateForm(Form4);
        Application.CreateForm(Form5);
        // The main window is made when it is first shown, which the loop does before it takes a message.
        Application.Run();
    } catch (const std::exception& e) {
        // A window that cannot be read or made leaves the program nothing to show: say which, and end as
        // the loop would.
        Application.ShowException(e);
    }

    if (!MIDASok(MIDASstopBackgroundPlay()))
        MidasFailure(kStartupFailure);
    MIDASclose();
    return 0;
}
