#include "components/ComponentKinds.h"

#include "components/ScrollText.h"
#include "components/Wordcap.h"

void RegisterComponentsKinds() {
    RegisterComponentKind<TScrollText>("TScrollText");
    RegisterComponentKind<TMSOfficeCaption>("TMSOfficeCaption");
}
