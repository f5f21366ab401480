// The library's state and the rules of its calls. Each exported function is one call here: calls in
// the wrong state, with a bad handle or with a failing file fail, record why and change nothing.
#pragma once

#include "BackgroundPlay.h"
#include "Capture.h"
#include "Module.h"
#include "Player.h"
#include "midasdll.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace music {

class Library {
public:
    static Library& Instance();

    MIDASboolean Startup();
    MIDASboolean Init();
    MIDASboolean StartBackgroundPlay();
    MIDASboolean StopBackgroundPlay();
    MIDASboolean Close();
    MIDASmodule LoadModule(const char* fileName);
    MIDASboolean GetModuleInfo(MIDASmodule module, MIDASmoduleInfo* info);
    MIDASmodulePlayHandle PlayModule(MIDASmodule module, bool loop);
    MIDASboolean StopModule(MIDASmodulePlayHandle playHandle);
    MIDASboolean ReleaseModule(MIDASmodule module);
    std::int32_t LastError() const { return lastError; }

private:
    struct Playing {
        MIDASmodule module;
        std::unique_ptr<Player> player;
    };

    template <class Body> auto Call(Body body);
    void RequireInitialised() const;
    Module& FindModule(MIDASmodule module);
    std::uint32_t NewHandle();
    void Mix(std::span<std::int16_t> block);

    // One call at a time, whichever thread makes it.
    std::mutex calls;
    // What the mixing thread reads: the playings and the capture.
    std::mutex mixing;
    std::atomic<std::int32_t> lastError{0};
    bool initialised = false;
    // Counted across init and close alike, so that a stale handle is never taken for a new one.
    std::uint32_t lastHandle = 0;
    std::map<MIDASmodule, Module> modules;
    std::map<MIDASmodulePlayHandle, Playing> playings;
    std::unique_ptr<Capture> capture;
    std::unique_ptr<BackgroundPlay> background;
    std::vector<std::int32_t> sums;
};

} // namespace music
