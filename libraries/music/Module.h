// A module as the library holds it between MIDASloadModule and MIDASfreeModule.
#pragma once

#include "midasdll.h"

#include <vector>

namespace music {

struct Module {
    // The file as read: each playing loads a player of its own from it.
    std::vector<char> bytes;
    MIDASmoduleInfo info;
};

// Reads the file at `path` as given (a relative one from the current directory) and checks that it
// is a module. Throws Failure.
Module ReadModule(const char* path);

} // namespace music
