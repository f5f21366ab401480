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

    // The main window once it is on the screen: the system shows it a moment after it is visible.
    HWND MainWindow() {
        HWND main = driver::WaitWindow(process->Pid(), "TForm1", nullptr, kWait);
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

} // namespace installer
