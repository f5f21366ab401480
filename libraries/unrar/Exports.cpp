// The published C interface over the core. Nothing may leave these functions as an exception, and
// every record the caller passes is checked before use.
#include "unrar.h"

#include "core/PlatformFileSystem.h"
#include "core/Archive.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <new>

#include <windows.h>

namespace {

// Room for any path the caller may put in place of the volume asked for.
constexpr size_t kVolumeNameRoom = 2048;

struct Handle {
    unrar::PlatformFileSystem fs;
    std::unique_ptr<unrar::Archive> archive;
    RarChangeVolumeProc volumeProc = nullptr;
    RarProcessDataProc dataProc = nullptr;
    bool busy = false; // inside RARReadHeader or RARProcessFile, so maybe inside a callback
};

// Handles are numbers the library gives out, never a pointer and never given twice, so that a
// closed handle, or one passed again from inside its own callback, is recognised and not followed.
std::mutex registryLock;
std::map<uintptr_t, std::unique_ptr<Handle>> registry;
uintptr_t lastHandle = 0;

Handle* Find(RarHandle handle) {
    std::lock_guard<std::mutex> lock(registryLock);
    auto it = registry.find(reinterpret_cast<uintptr_t>(handle));
    return it == registry.end() ? nullptr : it->second.get();
}

RarHandle Register(std::unique_ptr<Handle> handle) {
    std::lock_guard<std::mutex> lock(registryLock);
    registry.emplace(++lastHandle, std::move(handle));
    return reinterpret_cast<RarHandle>(lastHandle);
}

// A call that may run callbacks: refused on a handle that is closed or already in such a call.
template <typename Call> int WithHandle(RarHandle handle, Call call) {
    Handle* h = Find(handle);
    if (!h || h->busy)
        return RarUnknown;
    h->busy = true;
    struct Done {
        Handle* h;
        ~Done() { h->busy = false; }
    } done{h};
    return call(*h);
}

// The record's size fields hold 32 bits; a size past them is shown as the most they hold, so that
// a caller's progress range is never smaller than the data that flows.
unsigned SizeField(uint64_t size) {
    return static_cast<unsigned>(std::min<uint64_t>(size, UINT32_MAX));
}

// Cut to fit, always terminated.
void CopyTerminated(char* out, size_t room, const std::string& text) {
    size_t n = std::min(text.size(), room - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

template <typename Call> int Guarded(Call call) {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return RarNoMemory;
    } catch (...) {
        return RarUnknown;
    }
}

void FillComment(Handle& h, RAROpenRecord& record) {
    record.CmtSize = 0;
    record.CmtState = 0;
    if (!record.CmtBuf)
        return;
    std::string text;
    switch (h.archive->Comment(text)) {
    case unrar::CommentState::None:
        return;
    case unrar::CommentState::Damaged:
        record.CmtState = RarBadData;
        return;
    case unrar::CommentState::Read:
        break;
    }
    if (record.CmtBufSize == 0) {
        record.CmtState = RarBufferTooSmall;
        return;
    }
    CopyTerminated(record.CmtBuf, record.CmtBufSize, text);
    // The size never exceeds the buffer, so a caller may rely on it to read what is there.
    record.CmtSize = static_cast<unsigned>(std::min<size_t>(text.size(), record.CmtBufSize - 1) + 1);
    record.CmtState = text.size() < record.CmtBufSize ? 1 : RarBufferTooSmall;
}

} // namespace

UNRAR_API RarHandle UNRAR_CALL RAROpenArchive(RAROpenRecord* ArchiveData) {
    if (!ArchiveData)
        return nullptr;
    RarHandle opened = nullptr;
    ArchiveData->OpenResult = static_cast<unsigned>(Guarded([&] {
        ArchiveData->CmtSize = 0;
        ArchiveData->CmtState = 0;
        if (!ArchiveData->ArcName)
            return static_cast<int>(RarCannotOpen);
        if (ArchiveData->OpenMode != RarOpenList && ArchiveData->OpenMode != RarOpenExtract)
            return static_cast<int>(RarUnknown);
        auto handle = std::make_unique<Handle>();
        int result = RarOk;
        handle->archive = unrar::Archive::Open(handle->fs, ArchiveData->ArcName, result);
        if (!handle->archive)
            return result;
        FillComment(*handle, *ArchiveData);
        opened = Register(std::move(handle));
        return static_cast<int>(RarOk);
    }));
    return opened;
}

UNRAR_API int UNRAR_CALL RARCloseArchive(RarHandle hArcData) {
    if (!hArcData)
        return RarCannotClose;
    std::unique_ptr<Handle> closed;
    {
        std::lock_guard<std::mutex> lock(registryLock);
        auto it = registry.find(reinterpret_cast<uintptr_t>(hArcData));
        if (it == registry.end() || it->second->busy)
            return RarUnknown;
        closed = std::move(it->second);
        registry.erase(it);
    }
    return RarOk;
}

UNRAR_API int UNRAR_CALL RARReadHeader(RarHandle hArcData, RARHeaderData* HeaderData) {
    if (!hArcData || !HeaderData)
        return RarUnknown;
    return WithHandle(hArcData, [&](Handle& h) {
        return Guarded([&] {
            unrar::MemberHeader member;
            int result = h.archive->ReadHeader(member);
            if (result != RarOk)
                return result;
            std::wstring name = member.name;
            std::replace(name.begin(), name.end(), L'/', L'\\');
            while (!name.empty() && name.back() == L'\\')
                name.pop_back();
            CopyTerminated(HeaderData->ArcName, sizeof HeaderData->ArcName, member.volumePath);
            CopyTerminated(HeaderData->FileName, sizeof HeaderData->FileName, h.fs.Narrow(name));
            const unrar::MemberRecord& r = member.record;
            HeaderData->Flags = r.flags;
            HeaderData->PackSize = SizeField(r.packSize);
            HeaderData->UnpSize = SizeField(r.unpSize);
            HeaderData->HostOS = r.hostOS;
            HeaderData->FileCRC = r.crc;
            HeaderData->FileTime = member.dosTime;
            HeaderData->UnpVer = r.unpVer;
            HeaderData->Method = r.method;
            HeaderData->FileAttr = r.attributes;
            // Member comments are not read; CmtBuf and CmtBufSize are the caller's and stay as they are.
            HeaderData->CmtSize = 0;
            HeaderData->CmtState = 0;
            return static_cast<int>(RarOk);
        });
    });
}

UNRAR_API int UNRAR_CALL RARProcessFile(RarHandle hArcData, int Operation, char* DestPath, char* DestName) {
    if (!hArcData)
        return RarUnknown;
    return WithHandle(hArcData, [&](Handle& h) {
        return Guarded([&] {
            std::string path = DestPath ? DestPath : "", name = DestName ? DestName : "";
            h.fs.renameHeld = false;
            int result = h.archive->Process(Operation, &path, &name);
            // The result codes have no word for why a file could not be made; the system's does.
            if (result == RarCannotCreate)
                SetLastError(h.fs.renameHeld ? ERROR_SHARING_VIOLATION : ERROR_CANNOT_MAKE);
            return result;
        });
    });
}

// The setters replace a callback that may be running: from inside one they do nothing.
UNRAR_API void UNRAR_CALL RARSetChangeVolProc(RarHandle hArcData, RarChangeVolumeProc ChangeVolProc) {
    Handle* h = Find(hArcData);
    if (!h || h->busy)
        return;
    h->volumeProc = ChangeVolProc;
    if (!ChangeVolProc) {
        h->archive->SetVolumeCallback(nullptr);
        return;
    }
    h->archive->SetVolumeCallback([h](std::string& path, int mode) {
        std::string room(kVolumeNameRoom, '\0');
        CopyTerminated(room.data(), room.size(), path);
        int answer = h->volumeProc(room.data(), mode);
        room.back() = '\0';
        path = room.c_str();
        return answer;
    });
}

UNRAR_API void UNRAR_CALL RARSetProcessDataProc(RarHandle hArcData, RarProcessDataProc ProcessDataProc) {
    Handle* h = Find(hArcData);
    if (!h || h->busy)
        return;
    h->dataProc = ProcessDataProc;
    if (!ProcessDataProc) {
        h->archive->SetDataCallback(nullptr);
        return;
    }
    h->archive->SetDataCallback([h](const uint8_t* data, size_t size) {
        while (size > 0) {
            int chunk = static_cast<int>(std::min<size_t>(size, INT_MAX));
            if (h->dataProc(const_cast<uint8_t*>(data), chunk) <= 0)
                return false;
            data += chunk;
            size -= static_cast<size_t>(chunk);
        }
        return true;
    });
}

UNRAR_API void UNRAR_CALL RARSetPassword(RarHandle hArcData, char* Password) {
    if (Handle* h = Find(hArcData))
        h->archive->SetPassword(Password && *Password);
}
