#include "Format.h"
#include "Output.h"

#include <mmsystem.h>

#include <array>
#include <vector>

namespace music {

namespace {

class WaveOutput : public Output {
public:
    WaveOutput(HWAVEOUT device, HANDLE done) : device(device), done(done) {
        for (std::size_t i = 0; i < headers.size(); ++i) {
            samples[i].resize(kBlockFrames * kChannels);
            headers[i].lpData = reinterpret_cast<LPSTR>(samples[i].data());
            headers[i].dwBufferLength = DWORD(samples[i].size() * sizeof samples[i][0]);
            waveOutPrepareHeader(device, &headers[i], sizeof headers[i]);
            // Not queued yet: free to fill.
            headers[i].dwFlags |= WHDR_DONE;
        }
    }

    ~WaveOutput() override {
        waveOutReset(device);
        for (WAVEHDR& header : headers)
            waveOutUnprepareHeader(device, &header, sizeof header);
        waveOutClose(device);
        CloseHandle(done);
    }

    std::span<std::int16_t> NextBlock(HANDLE stop) override {
        for (;;) {
            for (std::size_t i = 0; i < headers.size(); ++i) {
                if (headers[i].dwFlags & WHDR_DONE) {
                    filling = i;
                    return samples[i];
                }
            }
            HANDLE events[] = {stop, done};
            if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
                return {};
        }
    }

    bool Submit() override {
        headers[filling].dwFlags &= ~WHDR_DONE;
        return waveOutWrite(device, &headers[filling], sizeof headers[filling]) == MMSYSERR_NOERROR;
    }

private:
    HWAVEOUT device;
    HANDLE done;
    std::array<WAVEHDR, kQueuedBlocks> headers = {};
    std::array<std::vector<std::int16_t>, kQueuedBlocks> samples;
    std::size_t filling = 0;
};

} // namespace

std::unique_ptr<Output> OpenWaveOutput() {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kChannels;
    format.nSamplesPerSec = kSampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = kChannels * 2;
    format.nAvgBytesPerSec = kSampleRate * format.nBlockAlign;
    // Auto-reset: the mixing thread wakes once for each block the device is done with.
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!done)
        return nullptr;
    HWAVEOUT device;
    if (waveOutOpen(&device, WAVE_MAPPER, &format, DWORD_PTR(done), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        CloseHandle(done);
        return nullptr;
    }
    return std::make_unique<WaveOutput>(device, done);
}

} // namespace music
