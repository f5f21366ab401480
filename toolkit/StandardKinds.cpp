#include "StandardKinds.h"

#include "Image.h"
#include "Label.h"
#include "Menu.h"
#include "Timer.h"

void RegisterStandardKinds() {
    RegisterComponentKind<TImage>("TImage");
    RegisterComponentKind<TLabel>("TLabel");
    RegisterComponentKind<TPopupMenu>("TPopupMenu");
    RegisterComponentKind<TMenuItem>("TMenuItem");
    RegisterComponentKind<TTimer>("TTimer");
}
