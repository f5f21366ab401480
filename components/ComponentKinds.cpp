#include "ComponentKinds.h"

#include "ScrollText.h"
#include "Wordcap.h"

void RegisterComponentsKinds() {
    RegisterComponentKind<TScrollText>("TScrollText");
    RegisterComponentKind<TMSOfficeCaption>("TMSOfficeCaption");
}
