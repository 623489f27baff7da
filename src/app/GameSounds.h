#pragma once

#include "audio/SoundSystem.h"

#include <glm/glm.hpp>

#include <random>
#include <vector>

class Camera;
class MeshObject;
class Level;

// The rules that turn what the player and the level report into sounds, with
// no audio call in them.
namespace soundRules {

// Metres walked between two footsteps: at the walking speed of 5 m/s about
// three steps a second.
constexpr float stride = 1.6f;

// Counts the ground walked, one sub-step at a time, into footsteps. A walk
// from standing gives its first step half a stride in.
class FootstepClock {
public:
    // True when `walked` (this sub-step's distance on the ground) completes a stride.
    bool advance(float walked);

private:
    float travelled = 0.5f * stride;
};

// A landing's gain by the falling speed: nothing for a step down or a seam in
// the floor, full at the speed of a jump from a ledge.
float landingGain(float fallSpeed);
// A block's scrape by its velocity: sliding sideways on the floor, not flying
// or falling, grows louder up to the walking speed.
float scrapeGain(const glm::vec3& velocity);

} // namespace soundRules

// The game's sounds: loads Sounds/, follows the player and the level at the
// physics rate, and plays the picture sounds the game asks for.
class GameSounds {
public:
    explicit GameSounds(bool muted);

    // A source for each block's scrape and each animated object's hum, made
    // once: a long session makes no more.
    void follow(const Level& level); // in place of any level it followed before
    // After the level's step: footsteps, jump, landing, the scrapes and hums.
    void step(const Level& level);
    // Once a frame: the listener goes with the camera.
    void listen(const Camera& camera);
    // A picture is up: nothing in the level is heard.
    void hush();

    void click() { system.play(clickSound, 0.6f); }
    void chime() { system.play(chimeSound, 0.9f); }
    void splash() { system.play(splashSound, 1.0f); }
    void toggleMute() { system.setMuted(!system.muted()); }
    void setVolume(float share) { system.setVolume(share); }

private:
    struct Voice {
        const MeshObject* object;
        bool hum; // else a scrape
        audio::SoundSystem::Loop loop;
    };

    audio::SoundSystem system; // first in, last out: the loops' sources go before it
    audio::SoundId footstepSound, jumpSound, landingSound, scrapeSound, humSound, splashSound, chimeSound, clickSound;
    soundRules::FootstepClock footsteps;
    std::minstd_rand variation{16}; // of each footstep's pitch and gain
    std::vector<Voice> voices;
};
