#include "ComponentKinds.h"

#include "ScrollText.h"

void RegisterComponentsKinds() {
    RegisterComponentKind<TScrollText>("TScrollText");
}
