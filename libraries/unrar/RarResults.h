// What each of the library's result codes means to someone installing, and what it spoils: the
// program's warning, its archive component's member loop and the publisher's check read it here.
#pragma once

#include "unrar.h"

struct RarResult {
    int code;
    // A clause that ends a sentence: "The file readme.txt could not be installed: <cause>."
    const char* cause;
    // The run goes on with the next member; otherwise it ends.
    bool spoilsMemberOnly;
};

inline constexpr RarResult kRarResults[] = {
    {RarBadData, "its data is corrupt", true},
    {RarCannotCreate, "the file could not be created", true},
    {RarWriteError, "the disk is full or could not be written", false},
    {RarReadError, "the archive could not be read", false},
    {RarCannotOpen, "a volume of the archive is missing or cannot be opened", false},
    {RarBadArchive, "it is not a RAR archive, or its headers are damaged", false},
    {RarUnknownFormat, "the archive was made by a RAR version the installer cannot unpack", false},
    {RarPasswordMissing, "it is encrypted, and the installer has no password to give", false},
    {RarBadPassword, "it is encrypted, and the installer has no password to give", false},
    {RarNoMemory, "there is not enough memory to unpack it", false},
};

// RarCannotCreate where the system said ERROR_SHARING_VIOLATION.
inline constexpr char kRarFileInUse[] = "the file is in use by another program";

// The row of `code`; null for a code the table does not know.
inline const RarResult* FindRarResult(int code) {
    for (const RarResult& result : kRarResults)
        if (result.code == code)
            return &result;
    return nullptr;
}
