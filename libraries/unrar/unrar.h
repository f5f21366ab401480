// The RAR extraction library's interface, as unrar.dll exports it and the program calls it.
// Every function and both callbacks use the stdcall convention; the exports are undecorated.
#pragma once

#include <cstdint>

#if defined(UNRAR_DLL_BUILD)
#define UNRAR_API extern "C" __declspec(dllexport)
#elif defined(_WIN32)
#define UNRAR_API extern "C" __declspec(dllimport)
#else
#define UNRAR_API extern "C"
#endif
#if defined(_WIN32)
#define UNRAR_CALL __stdcall
#else
#define UNRAR_CALL
#endif

// Results of the functions and of RAROpenRecord::OpenResult.
enum RarCode : int {
    RarOk = 0,
    RarEndOfArchive = 10,
    RarNoMemory = 11,
    RarBadData = 12, // CRC error or corrupt data
    RarBadArchive = 13,
    RarUnknownFormat = 14, // an archive, or a member's packing method, of a RAR version not read here
    RarCannotOpen = 15,
    // GetLastError() right after RARProcessFile: ERROR_SHARING_VIOLATION when another program held the
    // file (it was tried again for a moment first), ERROR_CANNOT_MAKE otherwise.
    RarCannotCreate = 16,
    RarCannotClose = 17,
    RarReadError = 18,
    RarWriteError = 19,
    RarBufferTooSmall = 20,
    RarUnknown = 21, // also: an operation not known, no header pending, a handle closed or busy
    RarPasswordMissing = 22,
    RarReferenceError = 23,
    RarBadPassword = 24,
    // The data callback answered non-positive: the member was abandoned, nothing of it written.
    RarAborted = 25,
};

enum RarOpenMode : unsigned { RarOpenList = 0, RarOpenExtract = 1 };

// Operations of RARProcessFile.
enum RarOperation : int { RarSkip = 0, RarTest = 1, RarExtract = 2 };

// Modes of the volume callback: a volume is missing and asked for, or the next one was opened.
enum RarVolumeMode : int { RarVolumeAsk = 0, RarVolumeOpened = 1 };

// Bits of RARHeaderData::Flags.
enum RarHeaderFlag : unsigned {
    RarContinuedBefore = 0x01, // continued from the previous volume
    RarContinuedAfter = 0x02,  // continued in the next volume
    RarEncrypted = 0x04,
    RarSolid = 0x10,
    RarDirectory = 0xE0, // all three bits set
};

struct RAROpenRecord {
    char* ArcName;
    unsigned OpenMode;
    unsigned OpenResult;
    char* CmtBuf;
    unsigned CmtBufSize;
    unsigned CmtSize;
    unsigned CmtState; // 0 none, 1 read, 20 cut to the buffer
};

struct RARHeaderData {
    char ArcName[260];
    char FileName[260];
    unsigned Flags;
    unsigned PackSize;
    unsigned UnpSize;
    unsigned HostOS;
    unsigned FileCRC;
    unsigned FileTime; // MS-DOS date and time
    unsigned UnpVer;
    unsigned Method;
    unsigned FileAttr;
    char* CmtBuf;
    unsigned CmtBufSize;
    unsigned CmtSize;
    unsigned CmtState;
};
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(RARHeaderData) == 572);
#endif

// A result of -1 (any non-positive) aborts; anything else goes on, after an ask by looking again.
// The functions may not be called with the handle from inside its own callbacks: they answer
// RarUnknown then, and the setters do nothing.
using RarChangeVolumeProc = int(UNRAR_CALL*)(char* ArcName, int Mode);
using RarProcessDataProc = int(UNRAR_CALL*)(unsigned char* Addr, int Size);

// An open archive; the library's own.
using RarHandle = void*;

UNRAR_API RarHandle UNRAR_CALL RAROpenArchive(RAROpenRecord* ArchiveData);
UNRAR_API int UNRAR_CALL RARCloseArchive(RarHandle hArcData);
UNRAR_API int UNRAR_CALL RARReadHeader(RarHandle hArcData, RARHeaderData* HeaderData);
UNRAR_API int UNRAR_CALL RARProcessFile(RarHandle hArcData, int Operation, char* DestPath, char* DestName);
UNRAR_API void UNRAR_CALL RARSetChangeVolProc(RarHandle hArcData, RarChangeVolumeProc ChangeVolProc);
UNRAR_API void UNRAR_CALL RARSetProcessDataProc(RarHandle hArcData, RarProcessDataProc ProcessDataProc);
UNRAR_API void UNRAR_CALL RARSetPassword(RarHandle hArcData, char* Password);
