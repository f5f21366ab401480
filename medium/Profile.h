// install.ini as the installer reads it, for the publisher's tool on machines without the platform's
// profile function: the same rules, kept apart from any file system.
//
// A profile is lines of text. A line whose first non-blank character is "[" and that holds a "]"
// starts a section, named by what lies between the "[" and the last "]" without blanks at either end. Any
// other line with an "=" is a key: its name is the text before the first "=", its value the text after it,
// both without blanks at either end; a value enclosed in a pair of double or single quotes loses them.
// Sections and keys are found without regard to case; the first section of a name is the one searched, and in
// it the first key of a name.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The value of `key` in `section`, cut to `bufferSize` - 1 characters as the platform's function
// does for a buffer of that size; nothing when the section or the key is missing.
std::optional<std::string> ProfileValue(std::string_view text, std::string_view section, std::string_view key,
                                        std::size_t bufferSize);

// Each key line of the first section named `section`, in the file's order, with its value as
// ProfileValue gives it (uncut); `visit` returns false to stop.
void ForEachKey(std::string_view text, std::string_view section,
                const std::function<bool(std::string_view key, std::string_view value)>& visit);

// Whether two section or key names are the same to the profile reader.
bool SameProfileName(std::string_view a, std::string_view b);
