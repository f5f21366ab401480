#include "tests/driver/Driver.h"

#include <stdexcept>

namespace driver {

Process::Process(const std::string& program, const std::string& arguments, const std::string& currentDir) {
    // Whatever the program starts in turn (regedit for a .reg file, say) must not outlive the test
    // either: the job kills them all when its last handle closes, even if the test itself dies.
    job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job || !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits))
        throw std::runtime_error("cannot create a job for " + program + " (error " +
                                 std::to_string(GetLastError()) + ")");

    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // Wine 8 starts a program told to run in a network directory (\\server\share\...) in the Windows
    // directory instead, but hands on the starting program's own directory whatever it is: so the
    // program is started from there.
    char ownDir[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof ownDir, ownDir);
    BOOL started = (currentDir.empty() || SetCurrentDirectoryA(currentDir.c_str())) &&
                   CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                  CREATE_SUSPENDED, nullptr, nullptr, &startup, &info);
    DWORD error = GetLastError();
    SetCurrentDirectoryA(ownDir);
    if (!started) {
        CloseHandle(job);
        throw std::runtime_error("cannot start " + commandLine + " in " + currentDir + " (error " +
                                 std::to_string(error) + ")");
    }
    AssignProcessToJobObject(job, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process = info.hProcess;
    pid = info.dwProcessId;
}

static DWORD ActiveProcesses(HANDLE job) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                   nullptr))
        return 0;
    return accounting.ActiveProcesses;
}

Process::~Process() {
    // The next test must not meet this one's windows.
    TerminateJobObject(job, 1);
    WaitForSingleObject(process, 5000);
    WaitUntil([this] { return ActiveProcesses(job) == 0; }, 5000);
    CloseHandle(process);
    CloseHandle(job);
}

std::optional<DWORD> Process::WaitExit(DWORD timeoutMs) {
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

} // namespace driver
