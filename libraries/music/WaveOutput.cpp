#include "Format.h"
#include "Output.h"

#include <mmsystem.h>

#include <array>
#include <string>
#include <vector>

namespace music {

namespace {

// The system's sound library is loaded by the music thread when it opens the device, not with the
// program: loading it and what it brings along takes tens of milliseconds before the first window.
struct WaveApi {
    decltype(&waveOutOpen) open = nullptr;
    decltype(&waveOutPrepareHeader) prepare = nullptr;
    decltype(&waveOutWrite) write = nullptr;
    decltype(&waveOutReset) reset = nullptr;
    decltype(&waveOutUnprepareHeader) unprepare = nullptr;
    decltype(&waveOutClose) close = nullptr;
};

template <typename Function> bool Bind(HMODULE library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return function != nullptr;
}

// Null when the library or one of its functions is missing.
const WaveApi* LoadWaveApi() {
    static const WaveApi api = [] {
        WaveApi a;
        // From the system directory: by its bare name the search would begin in the program's
        // folder, where a download folder may hold anything.
        char system[MAX_PATH] = {};
        UINT length = GetSystemDirectoryA(system, sizeof system);
        HMODULE winmm = length && length < sizeof system
                            ? LoadLibraryA((std::string(system, length) + "\\winmm.dll").c_str())
                            : nullptr;
        if (!winmm || !Bind(winmm, "waveOutOpen", a.open) ||
            !Bind(winmm, "waveOutPrepareHeader", a.prepare) || !Bind(winmm, "waveOutWrite", a.write) ||
            !Bind(winmm, "waveOutReset", a.reset) || !Bind(winmm, "waveOutUnprepareHeader", a.unprepare) ||
            !Bind(winmm, "waveOutClose", a.close))
            a.open = nullptr;
        return a;
    }();
    return api.open ? &api : nullptr;
}

class WaveOutput : public Output {
public:
    WaveOutput(const WaveApi& api, HWAVEOUT device, HANDLE done) : api(api), device(device), done(done) {
        for (std::size_t i = 0; i < headers.size(); ++i) {
            samples[i].resize(kBlockFrames * kChannels);
            headers[i].lpData = reinterpret_cast<LPSTR>(samples[i].data());
            headers[i].dwBufferLength = DWORD(samples[i].size() * sizeof samples[i][0]);
            api.prepare(device, &headers[i], sizeof headers[i]);
            // Not queued yet: free to fill.
            headers[i].dwFlags |= WHDR_DONE;
        }
    }

    ~WaveOutput() override {
        api.reset(device);
        for (WAVEHDR& header : headers)
            api.unprepare(device, &header, sizeof header);
        api.close(device);
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
        return api.write(device, &headers[filling], sizeof headers[filling]) == MMSYSERR_NOERROR;
    }

private:
    const WaveApi& api;
    HWAVEOUT device;
    HANDLE done;
    std::array<WAVEHDR, kQueuedBlocks> headers = {};
    std::array<std::vector<std::int16_t>, kQueuedBlocks> samples;
    std::size_t filling = 0;
};

} // namespace

std::unique_ptr<Output> OpenWaveOutput() {
    const WaveApi* api = LoadWaveApi();
    if (!api)
        return nullptr;
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
    if (api->open(&device, WAVE_MAPPER, &format, DWORD_PTR(done), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        CloseHandle(done);
        return nullptr;
    }
    return std::make_unique<WaveOutput>(*api, device, done);
}

} // namespace music
