#include "installation/InstallationKinds.h"
#include "installation/RARArc.h"

#include <gtest/gtest.h>

#include <any>
#include <cstring>
#include <map>
#include <memory>

namespace {

// A scripted stand-in for the extraction library: it plays an archive's members, calls the installed
// callbacks, and writes every call into one log together with the events of the component under test.
struct FakeMember {
    FakeMember(std::string name, unsigned flags = 0, int headerCode = RarOk, int result = RarOk,
               std::vector<int> blocks = {}, std::vector<std::pair<std::string, int>> volumes = {})
        : name(std::move(name)), flags(flags), headerCode(headerCode), result(result),
          blocks(std::move(blocks)), volumes(std::move(volumes)) {}

    std::string name;
    unsigned flags;
    int headerCode; // returned in place of this member's header
    int result;     // of extracting it
    std::vector<int> blocks;
    std::vector<std::pair<std::string, int>> volumes; // reported before its header
};

struct Fake {
    unsigned openResult = RarOk;
    unsigned commentState = 0;
    std::string comment;
    unsigned commentSize = 0;
    int skipResult = RarOk;
    std::vector<FakeMember> members;

    std::vector<std::string> log;
    std::size_t next = 0;
    RarChangeVolumeProc volumeProc = nullptr;
    RarProcessDataProc dataProc = nullptr;
    char* commentBuffer = nullptr;
    RARHeaderData* header = nullptr;
    unsigned char block[16] = {};
    char volume[260] = {};
};

Fake* fake;
const RarHandle kHandle = reinterpret_cast<RarHandle>(0x4B56);

void Log(const std::string& line) {
    fake->log.push_back(line);
}

std::string Text(const char* text) {
    return text ? text : "null";
}

std::string NameOf(const RARHeaderData& header) {
    return std::string(header.FileName, strnlen(header.FileName, sizeof(header.FileName)));
}

RarHandle UNRAR_CALL FakeOpen(RAROpenRecord* record) {
    Log("open " + Text(record->ArcName) + " mode " + std::to_string(record->OpenMode) + " buffer " +
        std::to_string(record->CmtBufSize));
    fake->commentBuffer = record->CmtBuf;
    fake->header = nullptr;
    fake->volumeProc = nullptr;
    fake->dataProc = nullptr;
    std::memcpy(record->CmtBuf, fake->comment.c_str(), fake->comment.size() + 1);
    record->CmtSize = fake->commentSize;
    record->CmtState = fake->commentState;
    record->OpenResult = fake->openResult;
    return kHandle;
}

int UNRAR_CALL FakeClose(RarHandle handle) {
    EXPECT_EQ(handle, kHandle);
    Log("close");
    return RarOk;
}

int UNRAR_CALL FakeReadHeader(RarHandle handle, RARHeaderData* header) {
    EXPECT_EQ(handle, kHandle);
    if (!fake->header)
        fake->header = header;
    EXPECT_EQ(header, fake->header) << "the run's one header record";
    EXPECT_EQ(header->CmtBuf, fake->commentBuffer);
    EXPECT_EQ(header->CmtBufSize, 65535u);
    if (fake->next == fake->members.size()) {
        Log("header -> 10");
        return RarEndOfArchive;
    }
    const FakeMember& member = fake->members[fake->next++];
    for (const auto& [volume, mode] : member.volumes) {
        if (!fake->volumeProc)
            continue;
        std::strcpy(fake->volume, volume.c_str());
        Log("volume " + std::to_string(mode) + " -> " + std::to_string(fake->volumeProc(fake->volume, mode)));
    }
    if (member.headerCode != RarOk) {
        Log("header -> " + std::to_string(member.headerCode));
        return member.headerCode;
    }
    std::memset(header->FileName, 0, sizeof(header->FileName));
    std::memcpy(header->FileName, member.name.data(), std::min(member.name.size(), sizeof(header->FileName)));
    header->Flags = member.flags;
    Log("header " + NameOf(*header));
    return RarOk;
}

int UNRAR_CALL FakeProcessFile(RarHandle handle, int operation, char* destPath, char* destName) {
    EXPECT_EQ(handle, kHandle);
    Log("process " + std::to_string(operation) + " " + Text(destPath) + " " + Text(destName));
    if (operation == RarSkip)
        return fake->skipResult;
    const FakeMember& member = fake->members[fake->next - 1];
    for (int size : member.blocks) {
        if (!fake->dataProc)
            continue;
        int result = fake->dataProc(fake->block, size);
        Log("data " + std::to_string(size) + " -> " + std::to_string(result));
        if (result <= 0)
            return RarUnknown;
    }
    return member.result;
}

void UNRAR_CALL FakeSetChangeVolProc(RarHandle, RarChangeVolumeProc proc) {
    Log("set volume callback");
    fake->volumeProc = proc;
}

void UNRAR_CALL FakeSetProcessDataProc(RarHandle, RarProcessDataProc proc) {
    Log("set data callback");
    fake->dataProc = proc;
}

void UNRAR_CALL FakeSetPassword(RarHandle, char* password) {
    Log("password " + Text(password));
}

const RARFunctions kFakeLibrary = {
    FakeOpen,       FakeClose, FakeReadHeader, FakeProcessFile, FakeSetChangeVolProc, FakeSetProcessDataProc,
    FakeSetPassword};

using Lines = std::vector<std::string>;

class RARTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake = &fake_;
        TRAR::Library = &kFakeLibrary;
        rar.ArchiveName = "game.rar";
        rar.TargetDir = "C:\\Games";
    }
    void TearDown() override { TRAR::Library = &UnrarDll; }

    void Members(std::initializer_list<std::string> names) {
        for (const auto& name : names)
            fake_.members.emplace_back(name);
    }
    // Plays the archive again from its start.
    void Rewind() {
        fake_.log.clear();
        fake_.next = 0;
    }

    // The events that leave the library's calls as they are.
    void RecordEvents() {
        rar.OnError = [this](TObject* sender, int error) {
            EXPECT_EQ(sender, &rar);
            Log("OnError " + std::to_string(error));
        };
        rar.OnComment = [this](TObject* sender, const TComment& comment) {
            EXPECT_EQ(sender, &rar);
            Log("OnComment " + std::to_string(comment.CmtSize) + " " + comment.CmtBuf);
        };
        rar.OnExtracting = [this](TObject* sender, const RARHeaderData& file) {
            EXPECT_EQ(sender, &rar);
            EXPECT_EQ(&file, fake->header);
            Log("OnExtracting " + NameOf(file));
        };
        rar.OnExtract = [this](TObject* sender, const RARHeaderData& file, bool result) {
            EXPECT_EQ(sender, &rar);
            Log("OnExtract " + NameOf(file) + (result ? " ok" : " failed"));
        };
    }
    void RecordData(int result = 1) {
        rar.OnProcessData = [this, result](TObject* sender, unsigned char* addr, int size, int position) {
            EXPECT_EQ(sender, &rar);
            EXPECT_EQ(addr, fake->block);
            Log("OnProcessData " + std::to_string(size) + " at " + std::to_string(position));
            return result;
        };
    }
    void RecordVolumes(int result = 1) {
        rar.OnVolumeChange = [this, result](TObject* sender, char* name, int mode) {
            EXPECT_EQ(sender, &rar);
            EXPECT_EQ(name, fake->volume);
            Log("OnVolumeChange " + std::string(name) + " " + std::to_string(mode));
            return result;
        };
    }

    Fake fake_;
    TRAR rar;
};

TEST_F(RARTest, ARunCallsTheLibraryInItsOrderAndRaisesEventsBetween) {
    fake_.comment = "Welcome";
    fake_.commentSize = 8;
    fake_.commentState = 1;
    fake_.members = {{"Bin\\game.exe", 0, RarOk, RarOk, {4096, 100}},
                     {"Data\\maps.pak", RarEncrypted, RarOk, RarOk, {10}, {{"game.r00", RarVolumeOpened}}}};
    RecordEvents();
    RecordData();
    RecordVolumes();
    rar.OnReqPassword = [this](TObject* sender, const RARHeaderData& file, std::string& password) {
        EXPECT_EQ(sender, &rar);
        Log("OnReqPassword " + NameOf(file) + " '" + password + "'");
        password = "secret";
    };

    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(fake_.log, (Lines{"open game.rar mode 1 buffer 65535",
                                "OnComment 8 Welcome",
                                "set volume callback",
                                "set data callback",
                                "header Bin\\game.exe",
                                "OnExtracting Bin\\game.exe",
                                "process 2 C:\\Games null",
                                "OnProcessData 4096 at 4096",
                                "data 4096 -> 1",
                                "OnProcessData 100 at 4196",
                                "data 100 -> 1",
                                "OnExtract Bin\\game.exe ok",
                                "OnVolumeChange game.r00 1",
                                "volume 1 -> 1",
                                "header Data\\maps.pak",
                                "OnExtracting Data\\maps.pak",
                                "OnReqPassword Data\\maps.pak ''",
                                "password secret",
                                "process 2 C:\\Games null",
                                "OnProcessData 10 at 10",
                                "data 10 -> 1",
                                "OnExtract Data\\maps.pak ok",
                                "header -> 10",
                                "close"}));
    EXPECT_EQ(CurrentRAR, &rar);
}

TEST_F(RARTest, WithoutEventsEverythingIsExtractedAndNoCallbackIsInstalled) {
    fake_.commentState = 1;
    fake_.members = {{"a.txt", RarEncrypted, RarOk, RarOk, {10}, {{"game.r00", RarVolumeOpened}}}, {"b.txt"}};
    rar.TargetDir.clear();

    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(fake_.log, (Lines{"open game.rar mode 1 buffer 65535", "header a.txt", "process 2 null null",
                                "header b.txt", "process 2 null null", "header -> 10", "close"}));
}

TEST_F(RARTest, WhatStopsARunBeforeTheArchiveIsOpenIsReported) {
    RecordEvents();
    rar.ArchiveName.clear();
    EXPECT_FALSE(rar.Extract());
    EXPECT_EQ(fake_.log, Lines{"OnError 13"});
    EXPECT_EQ(CurrentRAR, nullptr);

    fake_.log.clear();
    rar.ArchiveName = "missing.rar";
    fake_.openResult = RarCannotOpen;
    fake_.commentState = 1;
    Members({"a.txt"});
    EXPECT_FALSE(rar.Extract());
    EXPECT_EQ(fake_.log, (Lines{"open missing.rar mode 1 buffer 65535", "close", "OnError 15"}));

    rar.OnError = nullptr;
    EXPECT_FALSE(rar.Extract());
}

TEST_F(RARTest, OnlyTheEndOfTheArchiveEndsTheHeadersWithoutFailure) {
    RecordEvents();
    Members({"a.txt"});
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(fake_.log.back(), "close");

    for (int code : {RarBadData, RarBadArchive, RarReadError, RarBadPassword}) {
        SCOPED_TRACE(code);
        Rewind();
        fake_.members = {{"a.txt"}, {"", 0, code}, {"b.txt"}};
        EXPECT_FALSE(rar.Extract());
        EXPECT_EQ(fake_.log,
                  (Lines{"open game.rar mode 1 buffer 65535", "header a.txt", "OnExtracting a.txt",
                         "process 2 C:\\Games null", "OnExtract a.txt ok",
                         "header -> " + std::to_string(code), "OnError " + std::to_string(code), "close"}));
    }
}

TEST_F(RARTest, CorruptDataAndUncreatableFilesSpoilOneMemberAndOtherCodesEndTheRun) {
    RecordEvents();
    for (int code : {RarBadData, RarCannotCreate}) {
        SCOPED_TRACE(code);
        Rewind();
        fake_.members = {{"a.txt", 0, RarOk, code}, {"b.txt"}};
        EXPECT_FALSE(rar.Extract());
        EXPECT_EQ(fake_.log,
                  (Lines{"open game.rar mode 1 buffer 65535", "header a.txt", "OnExtracting a.txt",
                         "process 2 C:\\Games null", "OnExtract a.txt failed",
                         "OnError " + std::to_string(code), "header b.txt", "OnExtracting b.txt",
                         "process 2 C:\\Games null", "OnExtract b.txt ok", "header -> 10", "close"}));
    }
    for (int code : {RarCannotOpen, RarWriteError, RarBadPassword, RarUnknown}) {
        SCOPED_TRACE(code);
        Rewind();
        fake_.members = {{"a.txt", 0, RarOk, code}, {"b.txt"}};
        EXPECT_FALSE(rar.Extract());
        EXPECT_EQ(fake_.log, (Lines{"open game.rar mode 1 buffer 65535", "header a.txt", "OnExtracting a.txt",
                                    "process 2 C:\\Games null", "OnExtract a.txt failed",
                                    "OnError " + std::to_string(code), "close"}));
    }
}

TEST_F(RARTest, OnlyListedMembersAreExtractedAndAFailedSkipEndsTheRun) {
    RecordEvents();
    Members({"Data\\maps.pak", "readme.txt", "Bin"});
    TStringList names;
    names.SetText("README.TXT\nmaps.pak\nbin\\game.exe\nreadme.txt");
    rar.SetFilesToExtract(names);
    rar.SetFilesToTest(names);
    // The component keeps copies, sorted and without duplicates.
    names.SetText("Bin");
    EXPECT_EQ(rar.FilesToExtract().Text(), "bin\\game.exe\r\nmaps.pak\r\nREADME.TXT\r\n");
    EXPECT_EQ(rar.FilesToTest().Count(), 3);

    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(fake_.log, (Lines{"open game.rar mode 1 buffer 65535", "header Data\\maps.pak",
                                "process 0 C:\\Games null", "header readme.txt", "OnExtracting readme.txt",
                                "process 2 C:\\Games null", "OnExtract readme.txt ok", "header Bin",
                                "process 0 C:\\Games null", "header -> 10", "close"}));

    Rewind();
    fake_.skipResult = RarBadData;
    EXPECT_FALSE(rar.Extract());
    EXPECT_EQ(fake_.log, (Lines{"open game.rar mode 1 buffer 65535", "header Data\\maps.pak",
                                "process 0 C:\\Games null", "OnError 12", "close"}));

    // An empty list extracts every member, whatever the list of members to test holds.
    Rewind();
    rar.SetFilesToExtract(TStringList());
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(fake_.log[1], "header Data\\maps.pak");
    EXPECT_EQ(fake_.log[2], "OnExtracting Data\\maps.pak");
}

TEST_F(RARTest, MemberNamesEndAtTheirFirstNulOrAfter260Characters) {
    std::string longest(260, 'x');
    TStringList names;
    names.Add(longest);
    names.Add("short.txt");
    rar.SetFilesToExtract(names);
    // The flags that follow the name field are no part of the name.
    fake_.members = {{longest + "yyyy", RarSolid}, {std::string("short.txt\0junk", 14)}, {longest.substr(1)}};
    RecordEvents();

    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(fake_.log,
              (Lines{"open game.rar mode 1 buffer 65535", "header " + longest, "OnExtracting " + longest,
                     "process 2 C:\\Games null", "OnExtract " + longest + " ok", "header short.txt",
                     "OnExtracting short.txt", "process 2 C:\\Games null", "OnExtract short.txt ok",
                     "header " + longest.substr(1), "process 0 C:\\Games null", "header -> 10", "close"}));
}

TEST_F(RARTest, StopEndsTheRunAtTheNextMemberOnce) {
    fake_.members = {{"a.txt", 0, RarOk, RarOk, {10, 20}}, {"b.txt", 0, RarOk, RarOk, {10}}, {"c.txt"}};
    RecordEvents();
    rar.OnProcessData = [this](TObject*, unsigned char*, int, int position) {
        rar.Stop = true;
        Log("stop at " + std::to_string(position));
        return 1;
    };
    EXPECT_TRUE(rar.Extract());
    EXPECT_FALSE(rar.Stop);
    EXPECT_EQ(fake_.log,
              (Lines{"open game.rar mode 1 buffer 65535", "set data callback", "header a.txt",
                     "OnExtracting a.txt", "process 2 C:\\Games null", "stop at 10", "data 10 -> 1",
                     "stop at 30", "data 20 -> 1", "OnExtract a.txt ok", "header b.txt", "close"}));

    // A request made during the last member is still pending after the run.
    fake_.log.clear();
    fake_.next = 2;
    fake_.members[2].blocks = {5};
    EXPECT_TRUE(rar.Extract());
    EXPECT_TRUE(rar.Stop);
    EXPECT_EQ(fake_.log.back(), "close");
    EXPECT_EQ(fake_.log[fake_.log.size() - 2], "header -> 10");

    // ...and ends the next run before its first member, with nothing failed.
    Rewind();
    EXPECT_TRUE(rar.Extract());
    EXPECT_FALSE(rar.Stop);
    EXPECT_EQ(fake_.log,
              (Lines{"open game.rar mode 1 buffer 65535", "set data callback", "header a.txt", "close"}));

    // An earlier failure stays in the result.
    Rewind();
    fake_.members[0].result = RarCannotCreate;
    EXPECT_FALSE(rar.Extract());
    EXPECT_EQ(fake_.log.back(), "close");
    EXPECT_EQ(fake_.log[fake_.log.size() - 2], "header b.txt");
}

TEST_F(RARTest, APasswordIsAskedForEncryptedMembersAndKeptFromOneToTheNext) {
    fake_.members = {{"a.txt", RarEncrypted}, {"b.txt"}, {"c.txt", RarEncrypted}, {"d.txt", RarEncrypted}};
    std::vector<std::string> answers{"secret", "", "other"};
    std::size_t asked = 0;
    rar.OnReqPassword = [&](TObject*, const RARHeaderData& file, std::string& password) {
        Log("asked for " + NameOf(file) + " with '" + password + "'");
        if (!answers[asked].empty())
            password = answers[asked];
        ++asked;
    };
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(fake_.log, (Lines{"open game.rar mode 1 buffer 65535", "header a.txt",
                                "asked for a.txt with ''", "password secret", "process 2 C:\\Games null",
                                "header b.txt", "process 2 C:\\Games null", "header c.txt",
                                "asked for c.txt with 'secret'", "password secret",
                                "process 2 C:\\Games null", "header d.txt", "asked for d.txt with 'secret'",
                                "password other", "process 2 C:\\Games null", "header -> 10", "close"}));

    // Each run starts without one, and an answer left empty sets none.
    Rewind();
    answers = {"", "", ""};
    asked = 0;
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(fake_.log[2], "asked for a.txt with ''");
    EXPECT_EQ(fake_.log[3], "process 2 C:\\Games null");

    Rewind();
    rar.OnReqPassword = nullptr;
    EXPECT_TRUE(rar.Extract());
    for (const auto& line : fake_.log)
        EXPECT_NE(line.rfind("password", 0), 0u) << line;
}

TEST_F(RARTest, CallbacksHandTheLibrarysValuesToHandlersAndTheirResultsBack) {
    fake_.members = {{"a.txt", 0, RarOk, RarOk, {100, 50}, {{"game.r00", RarVolumeAsk}}},
                     {"b.txt", 0, RarOk, RarOk, {30}, {{"game.r00", RarVolumeOpened}}}};
    RecordData(7);
    RecordVolumes(3);
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(fake_.log,
              (Lines{"open game.rar mode 1 buffer 65535", "set volume callback", "set data callback",
                     "OnVolumeChange game.r00 0", "volume 0 -> 3", "header a.txt", "process 2 C:\\Games null",
                     "OnProcessData 100 at 100", "data 100 -> 7", "OnProcessData 50 at 150", "data 50 -> 7",
                     "OnVolumeChange game.r00 1", "volume 1 -> 3", "header b.txt", "process 2 C:\\Games null",
                     "OnProcessData 30 at 30", "data 30 -> 7", "header -> 10", "close"}));

    // Callbacks reach only the component that ran last, and nothing once it is gone.
    RarChangeVolumeProc volumeProc = fake_.volumeProc;
    RarProcessDataProc dataProc = fake_.dataProc;
    auto other = std::make_unique<TRAR>();
    other->ArchiveName = "other.rar";
    Rewind();
    EXPECT_TRUE(other->Extract());
    EXPECT_EQ(CurrentRAR, other.get());
    fake_.log.clear();
    EXPECT_EQ(volumeProc(fake_.volume, RarVolumeAsk), -1);
    EXPECT_EQ(dataProc(fake_.block, 10), 1);
    EXPECT_EQ(fake_.log, Lines{});
    other.reset();
    EXPECT_EQ(CurrentRAR, nullptr);
    EXPECT_EQ(volumeProc(fake_.volume, RarVolumeAsk), -1);
    EXPECT_EQ(volumeProc(fake_.volume, RarVolumeOpened), 1);
    EXPECT_EQ(dataProc(fake_.block, 10), 1);
}

TEST_F(RARTest, TheCommentIsRaisedFirstAndOnlyWhenOneWasRead) {
    fake_.comment = "Read me";
    fake_.commentSize = 8;
    fake_.commentState = 1;
    Members({"a.txt"});
    RecordEvents();
    RecordVolumes();
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(fake_.log[1], "OnComment 8 Read me");
    EXPECT_EQ(fake_.log[2], "set volume callback");

    for (unsigned state : {0u, 20u}) {
        Rewind();
        fake_.commentState = state;
        EXPECT_TRUE(rar.Extract());
        EXPECT_EQ(fake_.log[1], "set volume callback");
    }

    // A size past the buffer is the buffer's.
    Rewind();
    fake_.commentState = 1;
    fake_.commentSize = 70000;
    EXPECT_TRUE(rar.Extract());
    EXPECT_EQ(fake_.log[1], "OnComment 65535 Read me");
}

TEST_F(RARTest, AFailureThrownByAHandlerEndsTheRunWithTheArchiveClosed) {
    fake_.members = {{"a.txt", 0, RarOk, RarOk, {10, 20}}, {"b.txt"}};
    RecordEvents();
    rar.OnProcessData = [](TObject*, unsigned char*, int, int) -> int { throw Exception("disk full"); };
    EXPECT_THROW(rar.Extract(), Exception);
    EXPECT_EQ(fake_.log, (Lines{"open game.rar mode 1 buffer 65535", "set data callback", "header a.txt",
                                "OnExtracting a.txt", "process 2 C:\\Games null", "data 10 -> -1", "close"}));

    Rewind();
    fake_.members[0].volumes = {{"game.r00", RarVolumeAsk}};
    rar.OnVolumeChange = [](TObject*, char*, int) -> int { throw Exception("no disk"); };
    EXPECT_THROW(rar.Extract(), Exception);
    EXPECT_EQ(fake_.log.back(), "close");
    EXPECT_EQ(fake_.log[fake_.log.size() - 2], "header a.txt");

    Rewind();
    rar.OnVolumeChange = nullptr;
    rar.OnProcessData = nullptr;
    rar.OnExtracting = [](TObject*, const RARHeaderData&) { throw Exception("no room"); };
    EXPECT_THROW(rar.Extract(), Exception);
    EXPECT_EQ(fake_.log, (Lines{"open game.rar mode 1 buffer 65535", "header a.txt", "close"}));

    // The next run is not haunted by it.
    Rewind();
    rar.OnExtracting = nullptr;
    EXPECT_TRUE(rar.Extract());
}

// Binds handlers by name, as a window does while it reads its definition.
class Handlers final : public Binder {
public:
    std::map<std::string, std::any> handlers;
    const std::any& Handler(const DefValue& name) override {
        auto found = handlers.find(name.Name());
        if (found == handlers.end())
            name.Fail("no handler " + name.Name());
        return found->second;
    }
    void Reference(const DefValue&, std::function<void(TComponent*)>) override {}
};

TEST(RARDefinition, AWindowDefinitionSetsTheSettingsAndBindsTheEvents) {
    RegisterProgramKinds();
    DefObject definition = ParseDefinition("object RAR1: TRAR\n"
                                           "  ArchiveName = \"D:\\\\game.rar\"\n"
                                           "  TargetDir = \"C:\\\\Games\"\n"
                                           "  Stop = True\n"
                                           "  OnVolumeChange = RAR1VolumeChange\n"
                                           "  OnExtracting = RAR1Extracting\n"
                                           "end\n",
                                           "Form5.window");
    auto component = CreateComponent(definition.kind, definition.where);
    auto* rar = dynamic_cast<TRAR*>(component.get());
    ASSERT_NE(rar, nullptr);
    Handlers binder;
    int volumes = 0;
    binder.handlers["RAR1VolumeChange"] =
        TChangeVolProcN([&](TObject*, char*, int mode) { return ++volumes + mode; });
    binder.handlers["RAR1Extracting"] = TFileBeingExtracted([](TObject*, const RARHeaderData&) {});
    binder.handlers["FormActivate"] = TNotifyEvent([](TObject*) {});
    for (const auto& property : definition.properties)
        rar->SetProperty(property.name, property.value, binder);

    EXPECT_EQ(rar->ArchiveName, "D:\\game.rar");
    EXPECT_EQ(rar->TargetDir, "C:\\Games");
    EXPECT_TRUE(rar->Stop);
    ASSERT_TRUE(rar->OnVolumeChange);
    EXPECT_EQ(rar->OnVolumeChange(rar, nullptr, 1), 2);
    EXPECT_TRUE(rar->OnExtracting);
    EXPECT_FALSE(rar->OnProcessData);
    EXPECT_EQ(rar->FilesToExtract().Count(), 0);

    DefObject wrong =
        ParseDefinition("object RAR1: TRAR\n  OnExtract = FormActivate\n  Files = 1\nend\n", "x");
    EXPECT_THROW(rar->SetProperty(wrong.properties[0].name, wrong.properties[0].value, binder), Exception);
    EXPECT_THROW(rar->SetProperty(wrong.properties[1].name, wrong.properties[1].value, binder), Exception);
}

} // namespace
