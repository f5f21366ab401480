// install.ini's keys in the order the installer reads them, and what it keeps of each value. The
// installer and the publisher's tool both read the file by this table, so they read it alike.
#pragma once

#include <cstddef>
#include <iterator>

namespace Settings {

inline constexpr const char* kSection = "OPTIONS";

// One row a setting: its name, which the program's variable and install.ini's key share (the key is
// the name padded with full stops to 10 characters), and what it holds. A new setting is a new row.
#define KORVADEL_SETTINGS(ROW)                                                                               \
    ROW(APPZ, "APPZ......", "product name, the main window's status line")                                   \
    ROW(SIZE, "SIZE......", "megabytes the product needs")                                                   \
    ROW(DIR, "DIR.......", "directory name proposed by the make-directory dialog")                           \
    ROW(FILERAR, "FILERAR...", "the archive's first volume, beside the program")                             \
    ROW(NFO, "NFO.......", "the information file, beside the program")                                       \
    ROW(REG, "REG.......", "the registry file handed to the shell, or NONE")                                 \
    ROW(SCRTXT, "SCRTXT....", "the scrolling line's text")                                                   \
    ROW(FILES, "FILES.....", "number of volumes of the archive")

// The settings' places in the order the installer reads them: Key::APPZ is kKeys' first.
namespace Key {
#define KORVADEL_SETTING_INDEX(name, key, what) name,
enum Index : std::size_t { KORVADEL_SETTINGS(KORVADEL_SETTING_INDEX) };
#undef KORVADEL_SETTING_INDEX
} // namespace Key

#define KORVADEL_SETTING_KEY(name, key, what) key,
inline constexpr const char* kKeys[] = {KORVADEL_SETTINGS(KORVADEL_SETTING_KEY)};
#undef KORVADEL_SETTING_KEY
inline constexpr std::size_t kCount = std::size(kKeys);

// The profile function is given a buffer this large, so at most 2047 characters come back ...
inline constexpr std::size_t kProfileBuffer = 2048;
// ... of which a setting keeps this many.
inline constexpr std::size_t kMaxSetting = 250;
// The REG value that means "no registry file", exactly so.
inline constexpr const char* kNoRegistryFile = "NONE";

} // namespace Settings
