#include "Music.h"

#include <cmath>
#include <cstring>

namespace music_test {

namespace {

constexpr std::size_t kHeaderBytes = 44;

std::vector<char> ReadShared(const std::string& path) {
    // The library writes on while a test reads.
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::vector<char> bytes(GetFileSize(file, nullptr));
    DWORD read = 0;
    ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

std::uint32_t At(const std::vector<char>& bytes, std::size_t offset, std::size_t size) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, size);
    return value;
}

} // namespace

Wav ReadWav(const std::string& path) {
    std::vector<char> bytes = ReadShared(path);
    Wav wav;
    if (bytes.size() < kHeaderBytes) {
        ADD_FAILURE() << path << " holds no WAV header";
        return wav;
    }
    EXPECT_EQ(std::string(bytes.data(), 4), "RIFF");
    EXPECT_EQ(std::string(bytes.data() + 8, 8), "WAVEfmt ");
    EXPECT_EQ(At(bytes, 20, 2), 1u) << "PCM";
    EXPECT_EQ(At(bytes, 22, 2), 2u) << "channels";
    EXPECT_EQ(At(bytes, 24, 4), std::uint32_t(kRate));
    EXPECT_EQ(At(bytes, 34, 2), 16u) << "bits";
    EXPECT_EQ(std::string(bytes.data() + 36, 4), "data");
    std::uint32_t dataBytes = At(bytes, 40, 4);
    // A file read while it grows may hold more than its header counts yet, never less.
    EXPECT_LE(kHeaderBytes + dataBytes, bytes.size());
    EXPECT_EQ(At(bytes, 4, 4), kHeaderBytes - 8 + dataBytes);
    dataBytes = std::min<std::uint32_t>(dataBytes, std::uint32_t(bytes.size() - kHeaderBytes));
    wav.samples.resize(dataBytes / 4 * 2);
    std::memcpy(wav.samples.data(), bytes.data() + kHeaderBytes, wav.samples.size() * 2);
    return wav;
}

std::size_t CapturedFrames(const std::string& path) {
    std::vector<char> bytes = ReadShared(path);
    return bytes.size() < kHeaderBytes ? 0 : At(bytes, 40, 4) / 4;
}

double Rms(std::span<const std::int16_t> samples) {
    double sum = 0;
    for (std::int16_t sample : samples)
        sum += double(sample) * sample;
    return samples.empty() ? 0 : std::sqrt(sum / double(samples.size()));
}

} // namespace music_test
