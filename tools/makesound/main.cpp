// makesound: writes the game's sounds, 16-bit mono WAV at 44.1 kHz.
//
//   makesound [TARGET]          TARGET defaults to ./Sounds
//
// Every sound is synthesised from sines and seeded noise, so the output
// depends on nothing but this program: the same bytes on every run.

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// xorshift32: the same sequence on every platform, unlike std::rand.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state(seed) {}
    double next() // white, -1..1
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state / 2147483647.5 - 1.0;
    }

private:
    std::uint32_t state;
};

// A one-pole low-pass; `cutoff` in Hz.
class LowPass {
public:
    explicit LowPass(double cutoff) : a(1.0 - std::exp(-2.0 * kPi * cutoff / kRate)) {}
    double operator()(double x) { return y += a * (x - y); }

private:
    double a;
    double y = 0.0;
};

using Wave = std::vector<double>;

Wave make(double seconds, const std::function<double(double t, int i)>& sample)
{
    Wave wave(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < wave.size(); ++i)
        wave[i] = sample(static_cast<double>(i) / kRate, static_cast<int>(i));
    return wave;
}

// Rises over `attack` seconds, then falls by e every `decay` seconds.
double envelope(double t, double attack, double decay)
{
    return t < attack ? t / attack : std::exp(-(t - attack) / decay);
}

// A sound played once ends at silence: its last `seconds` fall to zero, so
// that its end makes no click.
Wave fadedOut(Wave wave, double seconds = 0.02)
{
    const size_t n = std::min(wave.size(), static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < n; ++i)
        wave[wave.size() - 1 - i] *= static_cast<double>(i) / n;
    return wave;
}

// A sound that loops: its last `overlap` seconds are faded into its start, so
// the end runs into the beginning without a click.
Wave looped(Wave wave, double overlap)
{
    const size_t n = static_cast<size_t>(overlap * kRate);
    const size_t keep = wave.size() - n;
    for (size_t i = 0; i < n; ++i) {
        const double w = static_cast<double>(i) / n;
        wave[i] = wave[i] * w + wave[keep + i] * (1.0 - w);
    }
    wave.resize(keep);
    return wave;
}

// Stone on stone underfoot: a low thud and a short gritty crunch.
Wave footstep()
{
    Noise noise(0x5eed0001);
    LowPass grit(2500.0);
    return make(0.12, [&](double t, int) {
        const double thud = std::sin(2.0 * kPi * 95.0 * t) * envelope(t, 0.002, 0.025);
        return 0.55 * thud + 0.5 * grit(noise.next()) * envelope(t, 0.001, 0.018);
    });
}

// The push off: a scuff of the feet, rising a little in pitch.
Wave jump()
{
    Noise noise(0x5eed0002);
    LowPass scuff(1800.0);
    return make(0.16, [&](double t, int) {
        const double breath = std::sin(2.0 * kPi * (140.0 + 300.0 * t) * t) * envelope(t, 0.01, 0.04);
        return 0.35 * breath + 0.6 * scuff(noise.next()) * envelope(t, 0.004, 0.035);
    });
}

// Both feet on stone at once: heavier and lower than a step.
Wave landing()
{
    Noise noise(0x5eed0003);
    LowPass grit(1200.0);
    return make(0.25, [&](double t, int) {
        const double thud = std::sin(2.0 * kPi * (70.0 - 40.0 * t) * t) * envelope(t, 0.002, 0.06);
        return 0.7 * thud + 0.5 * grit(noise.next()) * envelope(t, 0.001, 0.03);
    });
}

// A block grinding over the floor: band-limited noise, roughened by grains
// of changing strength.
Wave scrape()
{
    Noise noise(0x5eed0004);
    Noise grains(0x5eed0005);
    LowPass upper(3000.0), lower(400.0), roughness(30.0);
    return looped(make(0.65,
                       [&](double, int) {
                           const double x = noise.next();
                           const double band = upper(x) - lower(x);
                           return band * (0.6 + 1.8 * std::fabs(roughness(grains.next())));
                       }),
                  0.05);
}

// The lift's motor: mains hum and its harmonics, a whole number of cycles
// of each in the loop, with a slow beat.
Wave hum()
{
    return make(0.5, [&](double t, int) {
        const double beat = 0.8 + 0.2 * std::sin(2.0 * kPi * 4.0 * t);
        return beat * (0.3 * std::sin(2.0 * kPi * 50.0 * t) + 0.2 * std::sin(2.0 * kPi * 100.0 * t) +
                       0.1 * std::sin(2.0 * kPi * 150.0 * t) + 0.04 * std::sin(2.0 * kPi * 300.0 * t));
    });
}

// Falling into the flooded pit: a burst of spray and a few bubbles.
Wave splash()
{
    Noise noise(0x5eed0006);
    LowPass spray(4000.0), body(300.0);
    return make(0.9, [&](double t, int) {
        const double x = noise.next();
        const double s = (spray(x) - 0.5 * body(x)) * envelope(t, 0.01, 0.32);
        double bubbles = 0.0;
        for (int k = 0; k < 4; ++k) {
            const double start = 0.15 + 0.12 * k;
            if (t > start)
                bubbles += std::sin(2.0 * kPi * (300.0 + 90.0 * k + 900.0 * (t - start)) * (t - start)) *
                           envelope(t - start, 0.005, 0.03);
        }
        return 1.25 * s + 0.2 * bubbles;
    });
}

// The win: three bell tones going up, each with a bell's inharmonic partial.
Wave chime()
{
    const double notes[3] = {1046.5, 1318.5, 1568.0};
    return make(1.2, [&](double t, int) {
        double sum = 0.0;
        for (int k = 0; k < 3; ++k) {
            const double u = t - 0.14 * k;
            if (u > 0.0)
                sum += (std::sin(2.0 * kPi * notes[k] * u) + 0.3 * std::sin(2.0 * kPi * notes[k] * 2.76 * u)) *
                       envelope(u, 0.003, 0.35);
        }
        return 0.3 * sum;
    });
}

// A soft click for the keys on the pictures.
Wave click()
{
    return make(0.03,
                [&](double t, int) { return 0.35 * std::sin(2.0 * kPi * 1800.0 * t) * envelope(t, 0.0005, 0.004); });
}

bool write(const std::filesystem::path& path, const Wave& wave)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "makesound: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    std::vector<short> pcm(wave.size());
    std::transform(wave.begin(), wave.end(), pcm.begin(),
                   [](double x) { return static_cast<short>(std::lround(std::clamp(x, -1.0, 1.0) * 32767.0)); });
    const bool ok =
        sf_writef_short(file, pcm.data(), static_cast<sf_count_t>(pcm.size())) == static_cast<sf_count_t>(pcm.size());
    return sf_close(file) == 0 && ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2) {
        std::fprintf(stderr, "usage: makesound [TARGET_DIR]\n");
        return 2;
    }
    const std::filesystem::path target = argc == 2 ? std::filesystem::path(argv[1]) : "Sounds";
    std::error_code error;
    std::filesystem::create_directories(target, error);
    if (error) {
        std::fprintf(stderr, "makesound: cannot create %s: %s\n", target.c_str(), error.message().c_str());
        return 1;
    }
    const struct {
        const char* name;
        Wave (*make)();
        bool loops;
    } sounds[] = {{"footstep", footstep, false}, {"jump", jump, false},  {"landing", landing, false},
                  {"scrape", scrape, true},      {"hum", hum, true},     {"splash", splash, false},
                  {"chime", chime, false},       {"click", click, false}};
    bool ok = true;
    for (const auto& sound : sounds)
        ok = write(target / (std::string(sound.name) + ".wav"), sound.loops ? sound.make() : fadedOut(sound.make())) &&
             ok;
    return ok ? 0 : 1;
}
