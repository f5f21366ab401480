// Progress of long work on the terminal: a bar with the bytes done and the rate when the output is a
// terminal, a plain line at each tenth otherwise (a log, a build server). Work of no known size
// shows its bytes and rate on a terminal only.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace medium {

class Progress {
public:
    Progress(std::FILE* out, std::string what, uint64_t total);
    void Update(uint64_t done);
    // The last state, and the line ended.
    void Finish();

private:
    using Clock = std::chrono::steady_clock;
    std::FILE* out;
    std::string what;
    uint64_t total;
    bool terminal;
    Clock::time_point start = Clock::now();
    Clock::time_point shown{};
    int tenthsShown = 0;
    uint64_t done = 0;
};

// 1.5 MiB, 312.0 KiB, 17 bytes.
std::string Bytes(uint64_t bytes);

} // namespace medium
