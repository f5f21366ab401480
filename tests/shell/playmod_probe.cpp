// Makes the main window without showing it and plays the modules named on the command line in order
// through Playmod ("-" for an empty name), so that the music library's log shows what Playmod calls.
#include "installation/InstallationKinds.h"
#include "installation/Unit2.h"
#include "shell/Unit1.h"
#include "shell/Unit4.h"
#include "toolkit/Application.h"

#include <string>

int main(int argc, char** argv) {
    RegisterProgramKinds();
    Application.SetTitle("Korvadel Installer v1.0");
    Application.CreateForm(Form1);
    for (int i = 1; i < argc; ++i)
        Form1->Playmod(std::string(argv[i]) == "-" ? "" : argv[i]);
    return 0;
}
