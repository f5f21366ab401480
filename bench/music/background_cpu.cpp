// The processor time the music library takes while it plays in the background: the same process
// measured idle and then playing, 10 s each, through GetProcessTimes.
// Usage: background_cpu MODULE
#include "shell/midasdll.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr DWORD kMeasureMs = 10000;

// Seconds of processor time (user and kernel) the process has used so far.
double ProcessSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME time) {
        return double(ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

double WallSeconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart) / double(frequency.QuadPart);
}

// Share of one core the process used over the next 10 s.
double CoreShare() {
    double cpu = ProcessSeconds(), wall = WallSeconds();
    Sleep(kMeasureMs);
    return (ProcessSeconds() - cpu) / (WallSeconds() - wall);
}

bool Fail(const char* call) {
    std::fprintf(stderr, "%s: %s\n", call, MIDASgetErrorMessage(MIDASgetLastError()));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: background_cpu MODULE\n");
        return 2;
    }
    MIDASstartup();
    if (!MIDASok(MIDASinit()))
        return Fail("MIDASinit"), 1;
    MIDASmodule module = MIDASloadModule(argv[1]);
    if (!module)
        return Fail("MIDASloadModule"), 1;

    double idle = CoreShare();
    if (!MIDASok(MIDASstartBackgroundPlay(0)) || !MIDASplayModule(module, 1))
        return Fail("playing"), 1;
    double playing = CoreShare();
    MIDASstopBackgroundPlay();
    MIDASclose();

    std::printf("idle:    %.2f %% of one core\n", 100 * idle);
    std::printf("playing: %.2f %% of one core\n", 100 * playing);
    std::printf("background play: %.2f %% of one core (target: under 2 %%)\n", 100 * (playing - idle));
    return 0;
}
