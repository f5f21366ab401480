// Data compiled into the program: window definitions and pictures.
#pragma once

#include <string>
#include <string_view>

// The RCDATA resource of that name; throws when the program has none.
std::string_view ResourceData(const std::string& name);
