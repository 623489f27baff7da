#include "audio/SoundSystem.h"

#include <algorithm>

#include "core/Platform.h"
#include "core/RegularFile.h"

#include <AL/alc.h>
#ifndef __EMSCRIPTEN__
#include <AL/alext.h>
#endif
#include <sndfile.h>

#include <iostream>
#include <memory>

namespace audio {

namespace {

// Longer than any sound of ours: a file that claims more is broken.
constexpr sf_count_t maxFrames = 44100 * 10;

// Where a positional sound starts to fade with distance, in metres, and how
// far around its place it comes from.
constexpr float fadeFrom = 2.0f;
[[maybe_unused]] constexpr float spread = 3.0f;

} // namespace

std::string readSamples(const std::string& path, Samples& out)
{
    const RegularFile opened(path);
    if (opened.fault() != FileFault::None)
        return describe(opened.fault());
    SF_INFO info{};
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(sf_open_fd(opened.descriptor(), SFM_READ, &info, SF_FALSE),
                                                     sf_close);
    if (!file)
        return sf_strerror(nullptr);
    if (info.channels != 1)
        return "not mono";
    if (info.frames <= 0 || info.frames > maxFrames || info.samplerate <= 0)
        return "no usable length or rate";
    out.data.resize(static_cast<size_t>(info.frames));
    if (sf_readf_short(file.get(), out.data.data(), info.frames) != info.frames)
        return "cut short";
    out.rate = info.samplerate;
    return "";
}

SoundSystem::SoundSystem(bool muted) : isMuted(muted)
{
    device = alcOpenDevice(nullptr);
    if (!device) {
        std::cerr << "Sound: no audio device, the game plays silent" << std::endl;
        return;
    }
    // The limiter keeps the mix under full scale when several loud sounds meet
    // (three landings of a climb over a block's scrape).
    // The browser's OpenAL (over Web Audio) has no such limiter.
#ifdef __EMSCRIPTEN__
    const ALCint attributes[] = {0};
#else
    const ALCint attributes[] = {ALC_OUTPUT_LIMITER_SOFT, ALC_TRUE, 0};
#endif
    context = alcCreateContext(device, attributes);
    if (!context || !alcMakeContextCurrent(context)) {
        std::cerr << "Sound: the audio device refused a context, the game plays silent" << std::endl;
        if (context)
            alcDestroyContext(context);
        context = nullptr;
        alcCloseDevice(device);
        device = nullptr;
        return;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    for (al::Source& source : oneShots) {
        source = al::Source::create();
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    }
    setMuted(muted);
}

// Sources and buffers go while their context still exists.
SoundSystem::~SoundSystem()
{
    for (al::Source& source : oneShots)
        source.reset();
    buffers.clear();
    if (context) {
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
    }
    if (device)
        alcCloseDevice(device);
}

SoundId SoundSystem::load(const std::string& path)
{
    Samples samples;
    const std::string problem = readSamples(path, samples);
    if (!problem.empty())
        std::cerr << "Sound: " << printable(path) << " cannot be played (" << problem << "), it stays silent"
                  << std::endl;
    al::Buffer buffer;
    if (problem.empty() && context) {
        buffer = al::Buffer::create();
        alBufferData(buffer, AL_FORMAT_MONO16, samples.data.data(),
                     static_cast<ALsizei>(samples.data.size() * sizeof(short)), samples.rate);
    }
    buffers.push_back(std::move(buffer));
    return static_cast<SoundId>(buffers.size() - 1);
}

ALuint SoundSystem::bufferOf(SoundId sound) const
{
    return sound >= 0 && sound < static_cast<SoundId>(buffers.size()) ? buffers[sound].id() : 0;
}

void SoundSystem::setListener(const glm::vec3& position, const glm::vec3& forward, const glm::vec3& up)
{
    if (!context)
        return;
    const ALfloat orientation[6] = {forward.x, forward.y, forward.z, up.x, up.y, up.z};
    alListener3f(AL_POSITION, position.x, position.y, position.z);
    alListenerfv(AL_ORIENTATION, orientation);
}

void SoundSystem::play(SoundId sound, float gain, float pitch)
{
    const ALuint buffer = bufferOf(sound);
    if (!context || buffer == 0)
        return;
    for (al::Source& source : oneShots) {
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING)
            continue;
        alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
        alSourcef(source, AL_GAIN, gain);
        alSourcef(source, AL_PITCH, pitch);
        alSourcePlay(source);
        return;
    }
}

void SoundSystem::setMuted(bool muted)
{
    isMuted = muted;
    if (context)
        alListenerf(AL_GAIN, muted ? 0.0f : volume);
}

void SoundSystem::setVolume(float share)
{
    volume = std::clamp(share, 0.0f, 1.0f);
    setMuted(isMuted);
}

SoundSystem::Loop::Loop(SoundSystem& system, SoundId sound)
{
    const ALuint buffer = system.bufferOf(sound);
    if (!system.context || buffer == 0)
        return;
    source = al::Source::create();
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcei(source, AL_LOOPING, AL_TRUE);
    alSourcef(source, AL_REFERENCE_DISTANCE, fadeFrom);
    // A sound from a thing as big as a lift reaches both ears when it is near
    // (the browser's OpenAL pans it as a point).
#ifndef __EMSCRIPTEN__
    alSourcef(source, AL_SOURCE_RADIUS, spread);
#endif
}

void SoundSystem::Loop::set(const glm::vec3& position, float gain)
{
    if (source.id() == 0)
        return;
    alSource3f(source, AL_POSITION, position.x, position.y, position.z);
    alSourcef(source, AL_GAIN, gain);
    const bool on = gain > 0.0f;
    if (on && !playing)
        alSourcePlay(source);
    else if (!on && playing)
        alSourcePause(source);
    playing = on;
}

} // namespace audio
