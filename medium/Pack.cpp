#include "medium/Pack.h"

#include <cstdio>

namespace medium {

int PackCommand(const std::vector<std::string>&) {
    std::fputs("korvadel-medium: pack is not built yet\n", stderr);
    return 2;
}

} // namespace medium
