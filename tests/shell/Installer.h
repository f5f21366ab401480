// A product folder with the installer and the recording music library, and the installer running in
// it: what the start-up and main window tests share.
#pragma once

#include "tests/driver/Driver.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace installer {

constexpr DWORD kWait = 15000;

inline const std::string kStandardIni = "[OPTIONS]\r\n"
                                        "APPZ......=Korvadel: The Lost Halls\r\n"
                                        "SIZE......=350\r\n"
                                        "DIR.......=Korvadel\r\n"
                                        "FILERAR...=korvadel.part1.rar\r\n"
                                        "NFO.......=korvadel.nfo\r\n"
                                        "REG.......=NONE\r\n"
                                        "SCRTXT....=Welcome to Korvadel\r\n"
                                        "FILES.....=3\r\n";

// The main window once it is on the screen: the system shows it a moment after it is visible.
inline HWND MainWindow(DWORD pid) {
    HWND main = driver::WaitWindow(pid, "TForm1", nullptr, kWait);
    driver::WaitUntil(
        [main] {
            driver::Pixels shown = driver::Capture(main, false);
            for (uint32_t pixel : shown.pixels)
                if (pixel != shown.pixels.front())
                    return true;
            return false;
        },
        kWait);
    return main;
}

class Session {
public:
    // `double_ini` sets the results of the recording music library.
    explicit Session(const std::string& ini = kStandardIni, const std::string& double_ini = "",
                     const std::string& currentDir = "") {
        // The real pointer would send moves of its own to whatever window lies under it.
        driver::RealMouseMove(1020, 760);
        folder.Copy("install.exe");
        folder.Copy("double/install.dll", "install.dll");
        folder.Copy("unrar.dll");
        folder.Write("install.ini", ini);
        if (!double_ini.empty())
            folder.Write("install.dll.ini", double_ini);
        process = std::make_unique<driver::Process>(folder.Path("install.exe"), "",
                                                    currentDir.empty() ? folder.Root() : currentDir);
    }

    HWND MainWindow() { return installer::MainWindow(process->Pid()); }

    // The music library's calls so far, one per line.
    std::vector<std::string> Calls() const {
        std::vector<std::string> calls;
        if (!folder.Exists("install.dll.log"))
            return calls;
        std::istringstream log(folder.Read("install.dll.log"));
        for (std::string line; std::getline(log, line);)
            calls.push_back(line);
        return calls;
    }

    // The exit status once the process has ended.
    DWORD ExitCode() {
        auto code = process->WaitExit(kWait);
        if (!code)
            throw std::runtime_error("the installer is still running");
        return *code;
    }

    driver::ProductFolder folder;
    std::unique_ptr<driver::Process> process;
};

inline const std::vector<std::string> kStartCalls = {
    "MIDASstartup()",
    "MIDASinit()",
    "MIDASstartBackgroundPlay(0)",
    "MIDASloadModule(\"install.dat\")",
    "MIDASgetModuleInfo(1)",
    "MIDASplayModule(1,1)",
};

// What the directory dialog shows of the free space of `root` and judges of it against the needed
// size. The figure the dialog shows, in megabytes, decides; other work on the machine may move the
// real free space a little meanwhile.
inline void ExpectFreeSpaceJudged(HWND form2, const std::string& root, const std::string& size) {
    driver::Inspection inspection = driver::Inspect(form2);
    const driver::Record& label = inspection.Find("Label3");
    ULARGE_INTEGER free{};
    ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &free, nullptr, nullptr)) << root;
    // Less would leave the figure's tolerance nothing to tell apart.
    ASSERT_GT(free.QuadPart, 64 * 1048576ull) << root;
    std::string shown = driver::Field(label, "caption");
    ASSERT_EQ(shown.substr(shown.size() - 3), " Mb");
    long long figure = std::stoll(shown);
    EXPECT_NEAR(static_cast<double>(figure), free.QuadPart / 1048576.0, 64);
    bool enough = figure > std::stoll(size);
    EXPECT_EQ(driver::Field(label, "font.color"), enough ? "0x00000000" : "0x000000FF");
    EXPECT_EQ(driver::WindowText(form2), enough ? "Select a Directory" : "Insufficient space on this disk!");
    EXPECT_EQ(driver::Field(inspection.Find("Label4"), "caption"), size + " Mb");
}

} // namespace installer
