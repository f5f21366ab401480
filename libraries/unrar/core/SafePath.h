// Member paths come from the archive, which may have been made to write anywhere.
#pragma once

#include <string>

namespace unrar {

// The member's path as a relative path that stays below the directory it is joined to, on Windows
// and POSIX alike, joined with '/'; empty when the member must not be written. Both slashes
// separate. A leading drive and empty and "." components are dropped, so that absolute, drive and
// UNC names land inside. A name with a ".." component is refused rather than resolved, as where it
// was meant to land cannot be told; so is one with a character Windows reserves (':' would name a
// stream), a device name, or a component of dots and spaces only. Trailing dots and spaces, which
// Windows ignores, are removed.
std::wstring SafeRelativePath(const std::wstring& memberPath);

// Why a name is refused, for tools that tell a publisher before a user meets it.
enum class PathRefusal { None, Empty, ParentComponent, ReservedCharacter, DeviceName, DotsAndSpaces };
std::wstring SafeRelativePath(const std::wstring& memberPath, PathRefusal& refusal);

} // namespace unrar
