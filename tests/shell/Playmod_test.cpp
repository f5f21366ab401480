#include "tests/shell/Installer.h"

namespace {

using namespace installer;

// Runs the probe in a product folder with the recording library and returns its log.
std::vector<std::string> Play(const std::string& arguments, const std::string& results = "") {
    driver::ProductFolder folder;
    folder.Copy("playmod_probe.exe");
    folder.Copy("double/install.dll", "install.dll");
    folder.Copy("unrar.dll");
    if (!results.empty())
        folder.Write("install.dll.ini", results);
    driver::Process probe(folder.Path("playmod_probe.exe"), arguments, folder.Root());
    if (!results.empty()) {
        auto box = driver::WaitMessageBox(probe.Pid(), "MIDAS ERROR", kWait);
        driver::PressOk(box.hwnd);
    }
    EXPECT_EQ(probe.WaitExit(kWait), std::optional<DWORD>(0));
    std::vector<std::string> calls;
    std::istringstream log(folder.Read("install.dll.log"));
    for (std::string line; std::getline(log, line);)
        calls.push_back(line);
    return calls;
}

TEST(Playmod, ASecondModuleStopsThenFreesTheFirstBeforeLoading) {
    EXPECT_EQ(Play("first.mod second.mod"),
              (std::vector<std::string>{"MIDASloadModule(\"first.mod\")", "MIDASgetModuleInfo(1)",
                                        "MIDASplayModule(1,1)", "MIDASstopModule(1)", "MIDASfreeModule(1)",
                                        "MIDASloadModule(\"second.mod\")", "MIDASgetModuleInfo(2)",
                                        "MIDASplayModule(2,1)"}));
}

TEST(Playmod, AnEmptyNamePlaysTheLoadedModuleAgainWithoutStoppingIt) {
    EXPECT_EQ(Play("first.mod -"),
              (std::vector<std::string>{"MIDASloadModule(\"first.mod\")", "MIDASgetModuleInfo(1)",
                                        "MIDASplayModule(1,1)", "MIDASplayModule(1,1)"}));
}

TEST(Playmod, AnEmptyNameWithNoModulePassesNoneAndAFailureEndsTheProgram) {
    EXPECT_EQ(Play("-", "[results]\r\nMIDASplayModule=0\r\n"),
              (std::vector<std::string>{"MIDASplayModule(0,1)", "MIDASgetLastError()",
                                        "MIDASgetErrorMessage(7)", "MIDASclose()"}));
}

TEST(Playmod, AFailingStopOrFreeOfTheOldModuleIsReported) {
    EXPECT_EQ(Play("first.mod second.mod", "[results]\r\nMIDASfreeModule=0\r\n"),
              (std::vector<std::string>{"MIDASloadModule(\"first.mod\")", "MIDASgetModuleInfo(1)",
                                        "MIDASplayModule(1,1)", "MIDASstopModule(1)", "MIDASfreeModule(1)",
                                        "MIDASgetLastError()", "MIDASgetErrorMessage(7)", "MIDASclose()"}));
}

} // namespace
