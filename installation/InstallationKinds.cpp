#include "InstallationKinds.h"

#include "RARArc.h"

void RegisterInstallationKinds() {
    RegisterComponentKind<TRAR>("TRAR");
}
