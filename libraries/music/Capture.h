// A WAV file of everything the library mixes, for tests and diagnosis: the environment variable
// INSTALL_DLL_CAPTURE names it. Its header is brought up to date with every block, so a process
// that is killed still leaves a readable file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>

namespace music {

class Capture {
public:
    // Nothing when the variable is not set; throws Failure when the file cannot be created.
    static std::unique_ptr<Capture> FromEnvironment();
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    void Append(std::span<const std::int16_t> block);

private:
    explicit Capture(HANDLE file);
    void WriteAt(DWORD offset, const void* data, DWORD size);

    HANDLE file;
    std::uint32_t dataBytes = 0;
};

} // namespace music
