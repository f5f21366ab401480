#include "installation/RARArc.h"

#include "RarResults.h"
#include "toolkit/Gdi.h"
#include "toolkit/Properties.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace {
// One byte short of the buffer, so that what the library writes stays NUL-terminated.
constexpr unsigned kCommentBufferSize = sizeof(TComment::CmtBuf) - 1;
} // namespace

TRAR* CurrentRAR = nullptr;

const RARFunctions UnrarDll = {RAROpenArchive,      RARCloseArchive,       RARReadHeader, RARProcessFile,
                               RARSetChangeVolProc, RARSetProcessDataProc, RARSetPassword};

const RARFunctions* TRAR::Library = &UnrarDll;

// Made once per run and reused for every member, so a member costs no allocation.
struct TRAR::Run {
    RAROpenRecord Open{};
    RARHeaderData Header{};
    TComment Comment{};
    RarHandle Handle = nullptr;
    std::string ArcName;
    std::string Destination;
    std::string Password;
    std::string Name;
};

TRAR::TRAR() {
    filesToExtract_.SetSorted(true);
    filesToTest_.SetSorted(true);
}

TRAR::~TRAR() {
    if (CurrentRAR == this)
        CurrentRAR = nullptr;
}

void TRAR::SetFilesToExtract(const TStringList& files) {
    filesToExtract_.Assign(files);
}

void TRAR::SetFilesToTest(const TStringList& files) {
    filesToTest_.Assign(files);
}

bool TRAR::Extract() {
    if (ArchiveName.empty()) {
        // No archive at all is reported as one the library could not read.
        Error(RarBadArchive);
        return false;
    }
    CurrentRAR = this;
    handlerFailure_ = nullptr;
    auto run = std::make_unique<Run>();
    run->ArcName = ArchiveName;
    run->Open.ArcName = run->ArcName.data();
    run->Open.OpenMode = RarOpenExtract;
    run->Open.CmtBuf = run->Comment.CmtBuf;
    run->Open.CmtBufSize = kCommentBufferSize;
    run->Handle = Library->RAROpenArchive(&run->Open);
    // Handlers read CmtSize bytes of the buffer, so a size past it must not reach them.
    run->Comment.CmtSize = std::min(run->Open.CmtSize, kCommentBufferSize);
    run->Destination = TargetDir;
    bool result = false;
    {
        ScopeExit close([&] { Library->RARCloseArchive(run->Handle); });
        if (run->Open.OpenResult == RarOk)
            result = ExtractMembers(*run);
    }
    // Its handler runs with the archive closed.
    if (run->Open.OpenResult != RarOk)
        Error(static_cast<int>(run->Open.OpenResult));
    return result;
}

bool TRAR::ExtractMembers(Run& run) {
    bool result = true;
    if (run.Open.CmtState == 1 && OnComment)
        OnComment(this, run.Comment);
    if (OnVolumeChange)
        Library->RARSetChangeVolProc(run.Handle, ChangeVolProc);
    run.Header.CmtBuf = run.Comment.CmtBuf;
    run.Header.CmtBufSize = kCommentBufferSize;
    if (OnProcessData)
        Library->RARSetProcessDataProc(run.Handle, ProcessDataProc);
    char* destination = run.Destination.empty() ? nullptr : run.Destination.data();
    run.Name.reserve(sizeof(run.Header.FileName));

    for (;;) {
        int code = Library->RARReadHeader(run.Handle, &run.Header);
        RethrowHandlerFailure();
        if (code != RarOk) {
            if (code == RarEndOfArchive)
                return result;
            // The members after an unreadable header are never extracted: the run has failed.
            Error(code);
            return false;
        }
        run.Name.assign(run.Header.FileName, strnlen(run.Header.FileName, sizeof(run.Header.FileName)));
        if (Stop) {
            Stop = false;
            return result;
        }

        int index;
        if (filesToExtract_.Count() > 0 && !filesToExtract_.Find(run.Name, index)) {
            code = Library->RARProcessFile(run.Handle, RarSkip, destination, nullptr);
            RethrowHandlerFailure();
            if (code == RarOk)
                continue;
            Error(code);
            return false;
        }

        if (OnExtracting)
            OnExtracting(this, run.Header);
        ProcessedBytes = 0;
        if ((run.Header.Flags & RarEncrypted) && OnReqPassword) {
            OnReqPassword(this, run.Header, run.Password);
            if (!run.Password.empty())
                Library->RARSetPassword(run.Handle, run.Password.data());
        }
        code = Library->RARProcessFile(run.Handle, RarExtract, destination, nullptr);
        FileError = code == RarCannotCreate ? GetLastError() : 0;
        RethrowHandlerFailure();
        if (OnExtract)
            OnExtract(this, run.Header, code == RarOk);
        if (code == RarOk)
            continue;
        result = false;
        Error(code);
        const RarResult* meaning = FindRarResult(code);
        if (!meaning || !meaning->spoilsMemberOnly)
            return false;
    }
}

void TRAR::Error(int code) {
    if (OnError)
        OnError(this, code);
}

void TRAR::RethrowHandlerFailure() {
    if (handlerFailure_)
        std::rethrow_exception(std::exchange(handlerFailure_, nullptr));
}

// A failure must not unwind through the library's frames: the library is told to stop instead, and
// the run throws it on once the library has returned.
int UNRAR_CALL TRAR::ChangeVolProc(char* ArcName, int Mode) {
    TRAR* rar = CurrentRAR;
    if (rar && rar->handlerFailure_)
        return -1;
    // With no one to bring a missing volume, looking for it again would never end.
    if (!rar || !rar->OnVolumeChange)
        return Mode == RarVolumeOpened ? 1 : -1;
    try {
        return rar->OnVolumeChange(rar, ArcName, Mode);
    } catch (...) {
        rar->handlerFailure_ = std::current_exception();
        return -1;
    }
}

int UNRAR_CALL TRAR::ProcessDataProc(unsigned char* Addr, int Size) {
    TRAR* rar = CurrentRAR;
    if (!rar)
        return 1;
    if (rar->handlerFailure_)
        return -1;
    // Wraps like the library's own 32-bit counts instead of overflowing.
    rar->ProcessedBytes =
        static_cast<int>(static_cast<unsigned>(rar->ProcessedBytes) + static_cast<unsigned>(Size));
    if (!rar->OnProcessData)
        return 1;
    try {
        return rar->OnProcessData(rar, Addr, Size, rar->ProcessedBytes);
    } catch (...) {
        rar->handlerFailure_ = std::current_exception();
        return -1;
    }
}

void TRAR::Properties(PropertyWalk& walk) {
    TComponent::Properties(walk);
    static constexpr Property<TRAR> properties[] = {
        {"ArchiveName", as::Text<&TRAR::ArchiveName>, "archivename", shown::Text<&TRAR::ArchiveName>},
        {"TargetDir", as::Text<&TRAR::TargetDir>, "targetdir", shown::Text<&TRAR::TargetDir>},
        {"Stop", as::Bool<&TRAR::Stop>, "stop", shown::Bool<&TRAR::Stop>},
        {"OnProcessData", as::Event<&TRAR::OnProcessData>},
        {"OnVolumeChange", as::Event<&TRAR::OnVolumeChange>},
        {"OnError", as::Event<&TRAR::OnError>},
        {"OnComment", as::Event<&TRAR::OnComment>},
        {"OnListFile", as::Event<&TRAR::OnListFile>},
        {"OnExtracting", as::Event<&TRAR::OnExtracting>},
        {"OnExtract", as::Event<&TRAR::OnExtract>},
        {"OnTesting", as::Event<&TRAR::OnTesting>},
        {"OnTested", as::Event<&TRAR::OnTested>},
        {"OnReqPassword", as::Event<&TRAR::OnReqPassword>},
    };
    walk(*this, properties);
}
