// The names RAR gives the volumes of a set: name.part1.rar, name.part2.rar … (the digits keep their
// width), or name.rar, name.r00, name.r01 … name.r99, name.s00 … in the older scheme.
#pragma once

#include <string>

namespace unrar {

// Whether the name has the newer scheme's ".partN.rar" ending, in any case.
bool HasPartNumber(const std::wstring& name);

// The name of the volume after `name`; `partNumbers` picks the newer scheme when the name has one.
// Empty when the scheme has no name after it.
std::wstring NextVolumeName(const std::wstring& name, bool partNumbers);

// `name`'s file name in `reference`'s folder.
std::wstring InFolderOf(const std::wstring& reference, const std::wstring& name);

} // namespace unrar
