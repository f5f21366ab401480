#include "installation/InstallationKinds.h"

#include "components/ComponentKinds.h"
#include "installation/RARArc.h"
#include "toolkit/controls/StandardKinds.h"

void RegisterProgramKinds() {
    RegisterStandardKinds();
    RegisterComponentsKinds();
    RegisterComponentKind<TRAR>("TRAR");
}
