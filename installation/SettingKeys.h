// install.ini's keys in the order the installer reads them, and what it keeps of each value. The
// installer and the publisher's tool both read the file by this table, so they read it alike.
#pragma once

#include <array>
#include <cstddef>

namespace Settings {

inline constexpr const char* kSection = "OPTIONS";
// Every key is its setting's name padded with full stops to 10 characters.
inline constexpr std::array<const char*, 8> kKeys = {"APPZ......", "SIZE......", "DIR.......", "FILERAR...",
                                                     "NFO.......", "REG.......", "SCRTXT....", "FILES....."};
// The profile function is given a buffer this large, so at most 2047 characters come back ...
inline constexpr std::size_t kProfileBuffer = 2048;
// ... of which a setting keeps this many.
inline constexpr std::size_t kMaxSetting = 250;
// The REG value that means "no registry file", exactly so.
inline constexpr const char* kNoRegistryFile = "NONE";

} // namespace Settings
