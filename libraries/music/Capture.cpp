#include "Capture.h"

#include "Errors.h"
#include "Format.h"

#include <mmsystem.h>

#include <vector>

namespace music {

namespace {

constexpr DWORD kHeaderBytes = 44;
constexpr DWORD kRiffSizeOffset = 4;
constexpr DWORD kDataSizeOffset = 40;

struct WavHeader {
    char riff[4] = {'R', 'I', 'F', 'F'};
    std::uint32_t riffSize = kHeaderBytes - 8;
    char wave[4] = {'W', 'A', 'V', 'E'};
    char fmt[4] = {'f', 'm', 't', ' '};
    std::uint32_t fmtSize = 16;
    std::uint16_t formatTag = WAVE_FORMAT_PCM;
    std::uint16_t channels = kChannels;
    std::uint32_t sampleRate = kSampleRate;
    std::uint32_t byteRate = kSampleRate * kChannels * 2;
    std::uint16_t blockAlign = kChannels * 2;
    std::uint16_t bitsPerSample = 16;
    char data[4] = {'d', 'a', 't', 'a'};
    std::uint32_t dataSize = 0;
};
static_assert(sizeof(WavHeader) == kHeaderBytes);

} // namespace

std::unique_ptr<Capture> Capture::FromEnvironment() {
    DWORD length = GetEnvironmentVariableA("INSTALL_DLL_CAPTURE", nullptr, 0);
    if (length <= 1)
        return nullptr;
    std::vector<char> path(length);
    GetEnvironmentVariableA("INSTALL_DLL_CAPTURE", path.data(), length);
    // Others may read the file while it grows; a test does.
    HANDLE file = CreateFileA(path.data(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw Failure{ErrorCode::CaptureUnwritable};
    std::unique_ptr<Capture> capture(new Capture(file));
    WavHeader header;
    capture->WriteAt(0, &header, sizeof header);
    return capture;
}

Capture::Capture(HANDLE file) : file(file) {}

Capture::~Capture() {
    CloseHandle(file);
}

void Capture::Append(std::span<const std::int16_t> block) {
    DWORD bytes = DWORD(block.size_bytes());
    // A WAV file counts its size in 32 bits: after some six hours the capture simply ends.
    if (dataBytes > 0xFFFFFFFF - kHeaderBytes - bytes)
        return;
    WriteAt(kHeaderBytes + dataBytes, block.data(), bytes);
    dataBytes += bytes;
    std::uint32_t riffSize = kHeaderBytes - 8 + dataBytes;
    WriteAt(kRiffSizeOffset, &riffSize, sizeof riffSize);
    WriteAt(kDataSizeOffset, &dataBytes, sizeof dataBytes);
}

void Capture::WriteAt(DWORD offset, const void* data, DWORD size) {
    // A capture is a diagnosis aid: a full disk must not stop the music, so a failed write is dropped.
    OVERLAPPED at = {};
    at.Offset = offset;
    DWORD written;
    WriteFile(file, data, size, &written, &at);
}

} // namespace music
