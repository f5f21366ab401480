// The rules of the library's calls: each failure returns 0, leaves a code of its own that
// MIDASgetLastError reports and MIDASgetErrorMessage explains, and changes nothing.
#include "Music.h"

#include <fstream>
#include <functional>
#include <iterator>
#include <set>

namespace {

using music::ErrorCode;
using namespace music_test;

std::string ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

TEST(Calls, BeforeInitEveryCallButStartupFailsAsNotInitialised) {
    EXPECT_TRUE(MIDASok(MIDASstartup()));
    MIDASmoduleInfo info;
    const std::string module = DemoModule();
    std::vector<std::pair<const char*, std::function<std::int64_t()>>> calls = {
        {"MIDASstartBackgroundPlay", [] { return MIDASstartBackgroundPlay(0); }},
        {"MIDASstopBackgroundPlay", [] { return MIDASstopBackgroundPlay(); }},
        {"MIDASloadModule", [&] { return MIDASloadModule(module.c_str()); }},
        {"MIDASgetModuleInfo", [&] { return MIDASgetModuleInfo(1, &info); }},
        {"MIDASplayModule", [] { return MIDASplayModule(1, 1); }},
        {"MIDASstopModule", [] { return MIDASstopModule(1); }},
        {"MIDASfreeModule", [] { return MIDASfreeModule(1); }},
        {"MIDASclose", [] { return MIDASclose(); }},
    };
    for (const auto& [name, call] : calls) {
        EXPECT_EQ(call(), 0) << name;
        EXPECT_EQ(LastError(), ErrorCode::NotInitialised) << name;
    }
}

TEST(Calls, LifeCycleCallsInTheWrongOrderFail) {
    Session session;
    EXPECT_FALSE(MIDASok(MIDASinit()));
    EXPECT_EQ(LastError(), ErrorCode::AlreadyInitialised);
    EXPECT_FALSE(MIDASok(MIDASstartup()));
    EXPECT_EQ(LastError(), ErrorCode::AlreadyInitialised);

    EXPECT_FALSE(MIDASok(MIDASstopBackgroundPlay()));
    EXPECT_EQ(LastError(), ErrorCode::BackgroundPlayNotRunning);
    ASSERT_TRUE(MIDASok(MIDASstartBackgroundPlay(0)));
    EXPECT_FALSE(MIDASok(MIDASstartBackgroundPlay(0)));
    EXPECT_EQ(LastError(), ErrorCode::BackgroundPlayRunning);
    EXPECT_TRUE(MIDASok(MIDASstopBackgroundPlay()));
    // Background play can run again after a stop.
    EXPECT_TRUE(MIDASok(MIDASstartBackgroundPlay(0)));
    EXPECT_TRUE(MIDASok(MIDASstopBackgroundPlay()));
}

TEST(Calls, FilesThatAreNotModulesFailWithTheReason) {
    driver::ProductFolder folder;
    folder.Write("text.dat", "This is the product's information file, not music.\r\n");
    folder.Write("empty.dat", "");
    // Headers that promise more than follows them.
    folder.Write("cut.dat", ReadBytes(DemoModule()).substr(0, 1200));
    folder.Write("cut.it", ReadBytes(TestModule()).substr(0, 1000));
    CreateDirectoryA(folder.Path("folder.dat").c_str(), nullptr);
    folder.Write("locked.dat", ReadBytes(DemoModule()));
    HANDLE lock = CreateFileA(folder.Path("locked.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);

    Session session;
    std::vector<std::pair<std::string, ErrorCode>> cases = {
        {folder.Path("missing.dat"), ErrorCode::FileNotFound},
        {folder.Path("no such folder\\install.dat"), ErrorCode::FileNotFound},
        {folder.Path("folder.dat"), ErrorCode::FileUnreadable},
        {folder.Path("locked.dat"), ErrorCode::FileUnreadable},
        {folder.Path("text.dat"), ErrorCode::UnknownFormat},
        {folder.Path("empty.dat"), ErrorCode::UnknownFormat},
        // Packed: the depackers are not part of the library.
        {TestModule("test.itz"), ErrorCode::UnknownFormat},
        {folder.Path("cut.dat"), ErrorCode::DamagedModule},
        {folder.Path("cut.it"), ErrorCode::DamagedModule},
    };
    for (const auto& [path, code] : cases) {
        EXPECT_EQ(MIDASloadModule(path.c_str()), 0u) << path;
        EXPECT_EQ(LastError(), code) << path;
    }
    CloseHandle(lock);

    EXPECT_EQ(MIDASloadModule(nullptr), 0u);
    EXPECT_EQ(LastError(), ErrorCode::InvalidArgument);
    // Once it can be read, the same file loads.
    EXPECT_NE(MIDASloadModule(folder.Path("locked.dat").c_str()), 0u);
}

TEST(Calls, ABareNameIsLookedUpInTheCurrentDirectory) {
    driver::ProductFolder product;
    driver::ProductFolder elsewhere;
    product.Write("install.dat", ReadBytes(DemoModule()));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);

    Session session;
    SetCurrentDirectoryA(product.Root().c_str());
    EXPECT_NE(MIDASloadModule("install.dat"), 0u);
    SetCurrentDirectoryA(elsewhere.Root().c_str());
    EXPECT_EQ(MIDASloadModule("install.dat"), 0u);
    EXPECT_EQ(LastError(), ErrorCode::FileNotFound);
    SetCurrentDirectoryA(previous);
}

TEST(Calls, HandlesThatTheLibraryDoesNotHoldAreRefused) {
    Session session;
    MIDASmodule module = MIDASloadModule(DemoModule().c_str());
    ASSERT_NE(module, 0u);
    MIDASmodulePlayHandle playing = MIDASplayModule(module, 1);
    ASSERT_NE(playing, 0u);
    MIDASmoduleInfo info;

    for (MIDASmodule bad : {MIDASmodule(0), MIDASmodule(playing), module + playing + 1, 0xFFFFFFFFu}) {
        EXPECT_FALSE(MIDASok(MIDASgetModuleInfo(bad, &info))) << bad;
        EXPECT_EQ(LastError(), ErrorCode::BadModuleHandle);
        EXPECT_EQ(MIDASplayModule(bad, 1), 0u) << bad;
        EXPECT_EQ(LastError(), ErrorCode::BadModuleHandle);
        EXPECT_FALSE(MIDASok(MIDASfreeModule(bad))) << bad;
        EXPECT_EQ(LastError(), ErrorCode::BadModuleHandle);
    }
    for (MIDASmodulePlayHandle bad : {MIDASmodulePlayHandle(0), MIDASmodulePlayHandle(module)}) {
        EXPECT_FALSE(MIDASok(MIDASstopModule(bad))) << bad;
        EXPECT_EQ(LastError(), ErrorCode::BadPlayHandle);
    }
    EXPECT_FALSE(MIDASok(MIDASgetModuleInfo(module, nullptr)));
    EXPECT_EQ(LastError(), ErrorCode::InvalidArgument);

    // None of the failures touched what the library holds.
    EXPECT_TRUE(MIDASok(MIDASstopModule(playing)));
    EXPECT_FALSE(MIDASok(MIDASstopModule(playing)));
    EXPECT_EQ(LastError(), ErrorCode::BadPlayHandle);
    EXPECT_TRUE(MIDASok(MIDASfreeModule(module)));
    EXPECT_FALSE(MIDASok(MIDASfreeModule(module)));
    EXPECT_EQ(LastError(), ErrorCode::BadModuleHandle);
}

TEST(Calls, FreeingAModuleEndsThePlayingsItStillHas) {
    Session session;
    MIDASmodule module = MIDASloadModule(DemoModule().c_str());
    MIDASmodulePlayHandle first = MIDASplayModule(module, 1);
    MIDASmodulePlayHandle second = MIDASplayModule(module, 1);
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_TRUE(MIDASok(MIDASstopModule(second)));
    EXPECT_TRUE(MIDASok(MIDASfreeModule(module)));
    EXPECT_FALSE(MIDASok(MIDASstopModule(first)));
    EXPECT_EQ(LastError(), ErrorCode::BadPlayHandle);
}

TEST(Calls, AnUnwritableCaptureFailsInit) {
    driver::ProductFolder folder;
    SetEnvironmentVariableA("INSTALL_DLL_CAPTURE", folder.Path("no such folder\\capture.wav").c_str());
    EXPECT_FALSE(MIDASok(MIDASinit()));
    SetEnvironmentVariableA("INSTALL_DLL_CAPTURE", nullptr);
    EXPECT_EQ(LastError(), ErrorCode::CaptureUnwritable);
    // Nothing was left half initialised.
    EXPECT_TRUE(MIDASok(MIDASinit()));
    EXPECT_TRUE(MIDASok(MIDASclose()));
}

TEST(Calls, EveryCodeHasATextOfItsOwn) {
    std::set<std::string> texts = {MIDASgetErrorMessage(-1)};
    for (auto code = std::int32_t(ErrorCode::NotInitialised); code <= std::int32_t(ErrorCode::PlayerFailure);
         ++code)
        EXPECT_TRUE(texts.insert(MIDASgetErrorMessage(code)).second) << "code " << code;
    // What a user of the installer meets when the module is missing.
    EXPECT_STREQ(MIDASgetErrorMessage(std::int32_t(ErrorCode::FileNotFound)),
                 "The module file was not found");
}

} // namespace
