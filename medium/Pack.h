// `pack SRC DIR`: a medium made from a folder of product files.
#pragma once

#include <string>
#include <vector>

namespace medium {

// The command with its arguments after "pack"; the exit status.
int PackCommand(const std::vector<std::string>& args);

} // namespace medium
