#include "toolkit/controls/StandardKinds.h"

#include "toolkit/controls/Bevel.h"
#include "toolkit/controls/DirectoryListBox.h"
#include "toolkit/controls/DriveComboBox.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Image.h"
#include "toolkit/controls/Label.h"
#include "toolkit/controls/ProgressBar.h"
#include "toolkit/controls/SpeedButton.h"
#include "toolkit/controls/Timer.h"
#include "toolkit/Menu.h"

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
