#include "installation/InstallationKinds.h"

#include "installation/RARArc.h"

void RegisterInstallationKinds() {
    RegisterComponentKind<TRAR>("TRAR");
}
