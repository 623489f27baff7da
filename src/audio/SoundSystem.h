#pragma once

#include "audio/AlHandles.h"

#include <AL/alc.h>

#include <glm/glm.hpp>

#include <array>
#include <string>
#include <vector>

namespace audio {

// A sound as the game hands it to the system: an index into the loaded
// sounds. A sound whose file could not be read plays nothing.
using SoundId = int;

// 16-bit mono samples of one sound file and their rate.
struct Samples {
    std::vector<short> data;
    int rate = 0;
};
// Reads the regular file at `path` with libsndfile. Returns the empty string on
// success, else why not (a missing file or a FIFO, a format it does not know,
// more than one channel).
std::string readSamples(const std::string& path, Samples& out);

// The one audio device and context of the game, its loaded sounds and the
// sources that play them. Without a device every call does nothing: the game
// runs silent.
class SoundSystem {
public:
    // Opens the default device. When there is none, or no context can be made
    // on it, prints one line on standard error.
    explicit SoundSystem(bool muted);
    ~SoundSystem();

    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Reads a mono sound file. One that cannot be read is named in one line on
    // standard error, and its id stays silent.
    SoundId load(const std::string& path);

    // Where the game is heard from, and which way is ahead and up.
    void setListener(const glm::vec3& position, const glm::vec3& forward, const glm::vec3& up);
    // Plays `sound` once on a free source of a small pool (none free: not at
    // all), at the listener.
    void play(SoundId sound, float gain, float pitch = 1.0f);

    void setMuted(bool muted);
    bool muted() const { return isMuted; }
    // Every sound at this share of its own loudness (0 to 1), unless muted.
    void setVolume(float share);

    // A source of its own for a sound that loops while something goes on (a
    // block sliding, the lift moving), at a place in the world.
    class Loop {
    public:
        Loop(SoundSystem& system, SoundId sound);
        // Plays at `position` with `gain`, or pauses for a gain of 0.
        void set(const glm::vec3& position, float gain);

    private:
        al::Source source;
        bool playing = false;
    };

private:
    ALuint bufferOf(SoundId sound) const;

    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    bool isMuted = false;
    float volume = 1.0f;
    std::vector<al::Buffer> buffers; // by SoundId; 0 for a sound that did not load
    std::array<al::Source, 12> oneShots;
};

} // namespace audio
