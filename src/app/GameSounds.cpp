#include "app/GameSounds.h"

#include "core/Tuning.h"
#include "physics/BulletMath.h"
#include "physics/RigidBody.h"
#include "scene/AnimatedObject.h"
#include "scene/Camera.h"
#include "scene/Level.h"
#include "scene/PlayerObject.h"

#include <algorithm>
#include <cmath>

namespace soundRules {

bool FootstepClock::advance(float walked)
{
    // Slower than a creep is standing.
    if (walked < 0.005f) {
        travelled = 0.5f * stride;
        return false;
    }
    travelled += walked;
    if (travelled < stride)
        return false;
    travelled -= stride;
    return true;
}

float landingGain(float fallSpeed)
{
    constexpr float quietest = 3.0f, loudest = 9.0f;
    if (fallSpeed < quietest)
        return 0.0f;
    return std::min(1.0f, 0.3f + 0.7f * (fallSpeed - quietest) / (loudest - quietest));
}

float scrapeGain(const glm::vec3& velocity)
{
    const float sideways = std::hypot(velocity.x, velocity.z);
    if (std::fabs(velocity.y) > 1.0f || sideways < 0.2f)
        return 0.0f;
    return std::min(1.0f, sideways / tuning::walkSpeed);
}

} // namespace soundRules

GameSounds::GameSounds(bool muted)
    : system(muted), footstepSound(system.load("Sounds/footstep.wav")), jumpSound(system.load("Sounds/jump.wav")),
      landingSound(system.load("Sounds/landing.wav")), scrapeSound(system.load("Sounds/scrape.wav")),
      humSound(system.load("Sounds/hum.wav")), splashSound(system.load("Sounds/splash.wav")),
      chimeSound(system.load("Sounds/chime.wav")), clickSound(system.load("Sounds/click.wav"))
{
}

void GameSounds::step(const Level& level)
{
    if (const PlayerObject* player = level.player()) {
        if (footsteps.advance(player->walkedThisStep)) {
            std::uniform_real_distribution<float> pitch(0.9f, 1.1f), gain(0.6f, 0.8f);
            system.play(footstepSound, gain(variation), pitch(variation));
        }
        if (player->jumpedThisStep)
            system.play(jumpSound, 0.5f);
        if (const float gain = soundRules::landingGain(player->landingSpeed); gain > 0.0f)
            system.play(landingSound, gain);
    }
    for (Voice& voice : voices) {
        const btRigidBody* body = voice.object->rigidBody;
        const glm::vec3 place = toGlm(body->getWorldTransform().getOrigin());
        if (voice.hum)
            voice.loop.set(place, static_cast<const AnimatedObject*>(voice.object)->moving ? 0.5f : 0.0f);
        else
            voice.loop.set(place, soundRules::scrapeGain(toGlm(body->getLinearVelocity())));
    }
}

void GameSounds::follow(const Level& level)
{
    voices.clear();
    for (const MeshObject* object : level.getObjects()) {
        if (!object->rigidBody || object == level.player())
            continue;
        if (dynamic_cast<const AnimatedObject*>(object))
            voices.push_back({object, true, audio::SoundSystem::Loop(system, humSound)});
        else if (object->rigidBody->getInvMass() > 0.0f)
            voices.push_back({object, false, audio::SoundSystem::Loop(system, scrapeSound)});
    }
}

void GameSounds::listen(const Camera& camera) { system.setListener(camera.position, camera.direction, camera.up); }

void GameSounds::hush()
{
    for (Voice& voice : voices)
        voice.loop.set(glm::vec3(0.0f), 0.0f);
}
