#include "StandardKinds.h"

#include "Bevel.h"
#include "Image.h"
#include "Label.h"
#include "Menu.h"
#include "SpeedButton.h"
#include "Timer.h"

void RegisterStandardKinds() {
    RegisterComponentKind<TBevel>("TBevel");
    RegisterComponentKind<TImage>("TImage");
    RegisterComponentKind<TLabel>("TLabel");
    RegisterComponentKind<TPopupMenu>("TPopupMenu");
    RegisterComponentKind<TMenuItem>("TMenuItem");
    RegisterComponentKind<TSpeedButton>("TSpeedButton");
    RegisterComponentKind<TTimer>("TTimer");
}
