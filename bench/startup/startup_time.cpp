// Milliseconds from starting a program to its window being visible, for the installer in a product
// folder and for a bare window, alternating, RUNS times each; prints the medians and their ratio:
//   startup_time PRODUCT_FOLDER BARE_WINDOW_EXE RUNS
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD pid;
    const char* className;
    bool found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (pid == search->pid && IsWindowVisible(hwnd) && std::string(name) == search->className) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Milliseconds to a visible top-level window of `className`, or -1.
double TimeToWindow(const std::string& program, const std::string& folder, const char* className) {
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return -1;
    double ms = -1;
    for (;;) {
        Search search{info.dwProcessId, className, false};
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        QueryPerformanceCounter(&now);
        if (search.found) {
            ms = Seconds(start, now) * 1000;
            break;
        }
        if (Seconds(start, now) > 20 || WaitForSingleObject(info.hProcess, 0) == WAIT_OBJECT_0)
            break;
        Sleep(1);
    }
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return ms;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PRODUCT_FOLDER BARE_WINDOW_EXE RUNS\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    int runs = std::max(1, std::atoi(argv[3]));
    std::vector<double> installer, bare;
    for (int i = 0; i < runs; ++i) {
        double a = TimeToWindow(folder + "\\install.exe", folder, "TForm1");
        double b = TimeToWindow(argv[2], "", "BareWindow");
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "startup_time: a window did not appear\n");
            return 1;
        }
        installer.push_back(a);
        bare.push_back(b);
    }
    double i = Median(installer), b = Median(bare);
    std::printf("%-34s %9.0f ms\n%-34s %9.0f ms\n%-34s %9.2f\n", "installer, main window visible", i,
                "bare window with a title", b, "ratio", i / b);
    return 0;
}
