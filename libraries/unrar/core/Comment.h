// The archive comment, which libarchive does not read: stored ones are taken as they are, packed
// ones are unpacked by libarchive from a one-member archive made around them.
#pragma once

#include "FileSystem.h"
#include "HeaderScan.h"

#include <string>

namespace unrar {

enum class CommentState { None, Read, Damaged };

// RAR 5 comments are UTF-8 and come back in the host's narrow encoding; RAR 4 ones as stored.
CommentState ReadComment(FileSystem& fs, InputFile& volume, const VolumeLayout& layout, std::string& text);

} // namespace unrar
