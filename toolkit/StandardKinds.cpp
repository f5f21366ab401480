#include "StandardKinds.h"

#include "Bevel.h"
#include "DirectoryListBox.h"
#include "DriveComboBox.h"
#include "Edit.h"
#include "Image.h"
#include "Label.h"
#include "Menu.h"
#include "ProgressBar.h"
#include "SpeedButton.h"
#include "Timer.h"

void RegisterStandardKinds() {
    RegisterComponentKind<TBevel>("TBevel");
    RegisterComponentKind<TDirectoryListBox>("TDirectoryListBox");
    RegisterComponentKind<TDriveComboBox>("TDriveComboBox");
    RegisterComponentKind<TEdit>("TEdit");
    RegisterComponentKind<TImage>("TImage");
    RegisterComponentKind<TLabel>("TLabel");
    RegisterComponentKind<TPopupMenu>("TPopupMenu");
    RegisterComponentKind<TMemo>("TMemo");
    RegisterComponentKind<TMenuItem>("TMenuItem");
    RegisterComponentKind<TProgressBar>("TProgressBar");
    RegisterComponentKind<TSpeedButton>("TSpeedButton");
    RegisterComponentKind<TTimer>("TTimer");
}
