#include "medium/Progress.h"

#include "medium/Report.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace medium {

std::string Bytes(uint64_t bytes) {
    if (bytes < 1024)
        return Printed("%llu bytes", static_cast<unsigned long long>(bytes));
    const char* units[] = {"KiB", "MiB", "GiB", "TiB"};
    double value = double(bytes) / 1024;
    int unit = 0;
    for (; value >= 1024 && unit < 3; ++unit)
        value /= 1024;
    return Printed("%.1f %s", value, units[unit]);
}

Progress::Progress(std::FILE* out, std::string what, uint64_t total)
    : out(out), what(std::move(what)), total(total), terminal(isatty(fileno(out))) {}

void Progress::Update(uint64_t now) {
    done = now;
    const Clock::time_point time = Clock::now();
    const double seconds = std::chrono::duration<double>(time - start).count();
    const double rate = seconds > 0 ? double(done) / seconds : 0;
    const double share = total ? double(done) / double(total) : 1;
    if (!total) {
        // Without a total, only a terminal is shown how far it has come.
        if (!terminal || time - shown < std::chrono::milliseconds(100))
            return;
        shown = time;
        std::fprintf(out, "\r%s: %s, %s/s   ", what.c_str(), Bytes(done).c_str(),
                     Bytes(uint64_t(rate)).c_str());
    } else if (terminal) {
        // Ten times a second is as often as anyone reads it.
        if (time - shown < std::chrono::milliseconds(100) && done < total)
            return;
        shown = time;
        constexpr int kWidth = 30;
        const int filled = int(share * kWidth);
        std::fprintf(out, "\r%s [%s%s] %s of %s, %s/s   ", what.c_str(), std::string(filled, '#').c_str(),
                     std::string(kWidth - filled, '.').c_str(), Bytes(done).c_str(), Bytes(total).c_str(),
                     Bytes(uint64_t(rate)).c_str());
    } else {
        const int tenths = int(share * 10);
        if (tenths <= tenthsShown)
            return;
        tenthsShown = tenths;
        std::fprintf(out, "%s: %d%%, %s of %s, %s/s\n", what.c_str(), tenths * 10, Bytes(done).c_str(),
                     Bytes(total).c_str(), Bytes(uint64_t(rate)).c_str());
    }
    std::fflush(out);
}

void Progress::Finish() {
    // Work of no known size that was over before it was shown stays unshown.
    if (!total && shown == Clock::time_point{})
        return;
    shown = {};
    Update(total ? total : done);
    if (terminal)
        std::fputc('\n', out);
}

} // namespace medium
