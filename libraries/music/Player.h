// One module loaded into a libxmp context of its own: every playing has one, so that several playings
// of a module each keep their own position.
#pragma once

#include "midasdll.h"

#include <cstdint>
#include <span>
#include <vector>

namespace music {

class Player {
public:
    // Throws Failure when the bytes are not a module libxmp can load.
    explicit Player(const std::vector<char>& moduleBytes);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    MIDASmoduleInfo Info() const;

    // Starts the module from its beginning; a looping module restarts wherever it ends.
    void Start(bool loop);
    // Adds the next frames to interleaved stereo `mix`; nothing once a module that does not loop ended.
    void AddTo(std::span<std::int32_t> mix);

private:
    void* context;
    bool loop = false;
    bool ended = false;
    std::vector<std::int16_t> rendered;
};

} // namespace music
