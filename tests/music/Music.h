// What the music library's tests share: where the modules are, a session of the library that is
// closed again whatever a test left playing, and the capture it writes read back.
#pragma once

#include "Errors.h"
#include "shell/midasdll.h"
#include "tests/driver/Driver.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace music_test {

constexpr int kRate = 44100;
// One pass through the demo module: 64 rows of 6 ticks, each tick 1050 frames at 105 BPM
// (tools/make-module.py).
constexpr std::size_t kDemoLoopFrames = 64 * 6 * 1050;

inline std::string DemoModule() {
    return driver::SourcePath("tools/demo/install.dat");
}
// libxmp's own test module, copied into the build tree.
inline std::string TestModule(const std::string& name = "test.it") {
    return driver::BinPath("music/" + name);
}

// The last error as one of the library's codes.
inline music::ErrorCode LastError() {
    return music::ErrorCode(MIDASgetLastError());
}

// MIDASinit on construction, MIDASclose on destruction; with a capture into `capturePath` if given.
class Session {
public:
    explicit Session(const std::string& capturePath = {}) {
        SetEnvironmentVariableA("INSTALL_DLL_CAPTURE", capturePath.empty() ? nullptr : capturePath.c_str());
        initialised = MIDASok(MIDASinit());
        SetEnvironmentVariableA("INSTALL_DLL_CAPTURE", nullptr);
        if (!initialised)
            ADD_FAILURE() << "MIDASinit: " << MIDASgetErrorMessage(MIDASgetLastError());
    }
    ~Session() {
        if (initialised)
            MIDASclose();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

private:
    bool initialised;
};

struct Wav {
    std::vector<std::int16_t> samples; // interleaved left and right
    std::size_t Frames() const { return samples.size() / 2; }
    // `count` frames from `first`, as interleaved samples.
    std::span<const std::int16_t> Frames(std::size_t first, std::size_t count) const {
        return std::span(samples).subspan(2 * first, 2 * count);
    }
};

// The capture as it stands, which may still grow; fails the test unless it is the library's format.
Wav ReadWav(const std::string& path);
// Frames the capture's header counts so far; 0 while there is no file.
std::size_t CapturedFrames(const std::string& path);
double Rms(std::span<const std::int16_t> samples);

} // namespace music_test
