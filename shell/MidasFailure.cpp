#include "shell/MidasFailure.h"

#include "shell/midasdll.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"

#include <cstdlib>

void MidasFailure(const char* caption) {
    std::int32_t code = MIDASgetLastError();
    const char* text = MIDASgetErrorMessage(code);
    {
        DisabledWindows disabled(nullptr);
        MessageBoxA(Application.Handle(), text ? text : "", caption, MB_OK);
    }
    MIDASclose();
    std::exit(0);
}
