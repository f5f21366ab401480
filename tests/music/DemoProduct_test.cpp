// The installer with the real music library and the demo module: music while the main window is up,
// and one clear box when the module is not where the program looks for it.
#include "Music.h"
#include "tests/shell/Installer.h"

#include <psapi.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

using namespace music_test;

class DemoProduct : public ::testing::Test {
protected:
    void SetUp() override {
        // The real pointer would send moves of its own to whatever window lies under it.
        driver::RealMouseMove(1020, 760);
        folder.Copy("install.exe");
        folder.Copy("install.dll");
        // The program binds the extraction library at load as well, once it is built here.
        if (GetFileAttributesA(driver::BinPath("unrar.dll").c_str()) != INVALID_FILE_ATTRIBUTES)
            folder.Copy("unrar.dll");
        folder.Write("install.ini", installer::kStandardIni);
        std::ifstream module(DemoModule(), std::ios::binary);
        folder.Write("install.dat", {std::istreambuf_iterator<char>(module), {}});
    }

    // The installer started in `currentDir`, its music captured to capture.wav of the product folder.
    std::unique_ptr<driver::Process> Start(const std::string& currentDir) {
        SetEnvironmentVariableA("INSTALL_DLL_CAPTURE", capture.c_str());
        auto process = std::make_unique<driver::Process>(folder.Path("install.exe"), "", currentDir);
        SetEnvironmentVariableA("INSTALL_DLL_CAPTURE", nullptr);
        return process;
    }

    driver::ProductFolder folder;
    std::string capture = folder.Path("capture.wav");
};

TEST_F(DemoProduct, PlaysItsModuleWhileTheMainWindowIsUp) {
    auto installer = Start(folder.Root());
    HWND main = driver::WaitWindow(installer->Pid(), "TForm1", nullptr, installer::kWait);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(driver::WaitUntil([&] { return CapturedFrames(capture) > 2 * kRate; }, installer::kWait));
    driver::SendKeys(main, {VK_CONTROL, 'Q'});
    EXPECT_EQ(installer->WaitExit(installer::kWait), std::optional<DWORD>(0));

    Wav wav = ReadWav(capture);
    ASSERT_GE(wav.Frames(), std::size_t(2 * kRate));
    // Background play starts before the window loads the module: the music follows a short silence.
    EXPECT_GT(Rms(wav.Frames(wav.Frames() - kRate, kRate)), 1000.0);
}

TEST_F(DemoProduct, FromAnotherDirectoryOneBoxSaysTheModuleIsNotFound) {
    // The library's own text for the failure the installer meets.
    std::string notFound;
    ASSERT_TRUE(MIDASok(MIDASinit()));
    EXPECT_EQ(MIDASloadModule(folder.Path("no such module.dat").c_str()), 0u);
    notFound = MIDASgetErrorMessage(MIDASgetLastError());
    MIDASclose();

    driver::ProductFolder elsewhere;
    auto installer = Start(elsewhere.Root());
    auto box = driver::WaitMessageBox(installer->Pid(), "MIDAS ERROR", installer::kWait);
    EXPECT_EQ(box.text, notFound);
    EXPECT_FALSE(box.hasIcon);
    EXPECT_EQ(driver::CountMessageBoxes(installer->Pid(), "MIDAS ERROR"), 1);
    // The box comes from showing the main window, which therefore exists by now.
    HWND main = FindWindowA("TForm1", nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(main, &owner);
    EXPECT_EQ(owner, installer->Pid());
    driver::PressOk(box.hwnd);
    EXPECT_EQ(installer->WaitExit(installer::kWait), std::optional<DWORD>(0));
}

// The full path of a library a process has loaded, or nothing.
std::optional<std::string> LoadedLibrary(HANDLE process, const std::string& name) {
    HMODULE modules[512];
    DWORD bytes = 0;
    if (!EnumProcessModules(process, modules, sizeof modules, &bytes))
        return std::nullopt;
    for (DWORD i = 0; i < std::min<DWORD>(bytes / sizeof(HMODULE), 512); ++i) {
        char path[MAX_PATH] = {};
        DWORD length = GetModuleFileNameExA(process, modules[i], path, MAX_PATH);
        std::string file(path, length);
        std::string base = file.substr(file.find_last_of('\\') + 1);
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, base.c_str(), -1, name.c_str(), -1) ==
            CSTR_EQUAL)
            return file;
    }
    return std::nullopt;
}

// Libraries the program loads by itself come from the system: one of the same name in the program's
// folder (a download folder may hold anything) is never taken, even where the search would begin
// there, as on Windows for libraries the system does not pin.
TEST_F(DemoProduct, SystemLibrariesBesideTheProgramAreNotTaken) {
    const char* planted[] = {"winmm.dll", "shell32.dll"};
    for (const char* name : planted)
        folder.Copy("music/planted.dll", name);
    SetEnvironmentVariableA("WINEDLLOVERRIDES", "winmm,shell32=n,b");
    driver::Process installer(folder.Path("install.exe"), "", folder.Root());
    SetEnvironmentVariableA("WINEDLLOVERRIDES", nullptr);
    HWND main = driver::WaitWindow(installer.Pid(), "TForm1", nullptr, installer::kWait);
    ASSERT_NE(main, nullptr);
    // The sound system is bound by the music, the shell's icons by the directory dialog's list.
    driver::SendKeys(main, {VK_CONTROL, 'I'});
    ASSERT_NE(driver::WaitWindow(installer.Pid(), "TForm2", nullptr, installer::kWait), nullptr);
    char system[MAX_PATH] = {};
    std::string systemDir(system, GetSystemDirectoryA(system, MAX_PATH));
    for (const char* name : planted) {
        SCOPED_TRACE(name);
        std::optional<std::string> loaded;
        EXPECT_TRUE(
            driver::WaitUntil([&] { return (loaded = LoadedLibrary(installer.Handle(), name)).has_value(); },
                              installer::kWait));
        EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, loaded.value_or("").c_str(), -1,
                                 (systemDir + "\\" + name).c_str(), -1),
                  CSTR_EQUAL)
            << loaded.value_or("none");
    }
}

} // namespace
