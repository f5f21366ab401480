// The RAR archive component: extracts the members of an archive, possibly split over volumes, through
// unrar.dll, and turns the library's results and callbacks into events of its owner.
#pragma once

#include "toolkit/Component.h"
#include "toolkit/StringList.h"
#include "unrar.h"

#include <exception>
#include <functional>
#include <string>

// The archive comment: its size, never past the buffer, then the text, NUL-terminated.
struct TComment {
    unsigned CmtSize;
    char CmtBuf[65536];
};

using TProcessDataProcN =
    std::function<int(TObject* Sender, unsigned char* Addr, int BlockSize, int Position)>;
using TChangeVolProcN = std::function<int(TObject* Sender, char* ArcName, int Mode)>;
using TErrorProc = std::function<void(TObject* Sender, int Error)>;
using TCommentProc = std::function<void(TObject* Sender, const TComment& Comment)>;
using TListFileProc = std::function<void(TObject* Sender, const RARHeaderData& ListedFile)>;
using TFileBeingExtracted = std::function<void(TObject* Sender, const RARHeaderData& eFile)>;
using TFileExtracted = std::function<void(TObject* Sender, const RARHeaderData& eFile, bool Result)>;
using TFileBeingTested = std::function<void(TObject* Sender, const RARHeaderData& eFile)>;
using TFileTested = std::function<void(TObject* Sender, const RARHeaderData& eFile, bool Result)>;
using TReqPassword = std::function<void(TObject* Sender, const RARHeaderData& eFile, std::string& Password)>;

// The library's functions that a run calls, so that a run can be pointed at another library.
struct RARFunctions {
    RarHandle(UNRAR_CALL* RAROpenArchive)(RAROpenRecord* ArchiveData);
    int(UNRAR_CALL* RARCloseArchive)(RarHandle hArcData);
    int(UNRAR_CALL* RARReadHeader)(RarHandle hArcData, RARHeaderData* HeaderData);
    int(UNRAR_CALL* RARProcessFile)(RarHandle hArcData, int Operation, char* DestPath, char* DestName);
    void(UNRAR_CALL* RARSetChangeVolProc)(RarHandle hArcData, RarChangeVolumeProc ChangeVolProc);
    void(UNRAR_CALL* RARSetProcessDataProc)(RarHandle hArcData, RarProcessDataProc ProcessDataProc);
    void(UNRAR_CALL* RARSetPassword)(RarHandle hArcData, char* Password);
};

// unrar.dll's functions, bound when the program is loaded.
extern const RARFunctions UnrarDll;

class TRAR : public TComponent {
public:
    TRAR();
    ~TRAR() override;

    std::string ArchiveName;
    // Empty: every member is extracted.
    const TStringList& FilesToExtract() const { return filesToExtract_; }
    void SetFilesToExtract(const TStringList& files);
    const TStringList& FilesToTest() const { return filesToTest_; }
    void SetFilesToTest(const TStringList& files);
    // Empty: the library is given no destination.
    std::string TargetDir;
    // Ends the run before its next member; the run that honours it clears it.
    bool Stop = false;
    // The system's reason the last member extracted could not be created, 0 for any other result.
    unsigned long FileError = 0;

    TProcessDataProcN OnProcessData;
    TChangeVolProcN OnVolumeChange;
    TErrorProc OnError;
    TCommentProc OnComment;
    TListFileProc OnListFile;
    TFileBeingExtracted OnExtracting;
    TFileExtracted OnExtract;
    TFileBeingTested OnTesting;
    TFileTested OnTested;
    TReqPassword OnReqPassword;

    // True when no step failed. Events and the library's callbacks run inside it; a handler may let
    // the user interface process input but must not start another run, in this or any component.
    // A failure thrown by a handler ends the run, with the archive closed, and is thrown on.
    bool Extract();

    void Properties(PropertyWalk& walk) override;

    // Where runs find the library: unrar.dll's functions unless another set is put in place.
    static const RARFunctions* Library;

private:
    struct Run;
    bool ExtractMembers(Run& run);
    void Error(int code);
    void RethrowHandlerFailure();

    // The library passes these no context: they reach the component through CurrentRAR.
    static int UNRAR_CALL ChangeVolProc(char* ArcName, int Mode);
    static int UNRAR_CALL ProcessDataProc(unsigned char* Addr, int Size);

    TStringList filesToExtract_;
    TStringList filesToTest_;
    int ProcessedBytes = 0;
    // What a handler threw inside a callback, held until the library has returned.
    std::exception_ptr handlerFailure_;
};

// The component whose run was started last.
extern TRAR* CurrentRAR;
