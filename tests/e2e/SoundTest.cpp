// What the game plays, heard through OpenAL Soft's wave writer: the config
// file named by ALSOFT_CONF sends everything the game mixes, in real time,
// into a WAV file, which the tests read back as loudness over time. And the
// ways sound can fail (no device, a missing or a broken file), none of which
// stops the game.
#include "support/Game.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>

namespace {

namespace fs = std::filesystem;

// Loudness of each 20 ms of the recording.
constexpr double windowSeconds = 0.02;
// Above the level's steady hums, below a footstep.
constexpr double loud = 1500.0;

class Sound : public GameTest {
protected:
    Sound() { useDriver("wave", recording()); }
    ~Sound() override { unsetenv("ALSOFT_CONF"); }

    // OpenAL Soft's `driver` for the game (each test starts with "wave"), set
    // up by a config file in the work folder; "wave" writes into `recording`.
    void useDriver(const std::string& driver, const fs::path& recording)
    {
        const fs::path config = workDir() / "alsoft.conf";
        std::ofstream(config) << "[general]\ndrivers = " << driver << "\nsample-type = int16\nchannels = stereo\n"
                              << "[wave]\nfile = " << recording.string() << "\n";
        setenv("ALSOFT_CONF", config.c_str(), 1);
    }
    fs::path recording() { return workDir() / "heard.wav"; }

    // The RMS over each window of the recording (16-bit stereo at 44.1 kHz,
    // left and right interleaved): of both channels, or of channel 0 (left) or
    // 1 (right) alone.
    std::vector<double> loudness(int channel = -1)
    {
        std::ifstream in(recording(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::size_t at = 12; // past "RIFF", the size and "WAVE"
        while (at + 8 <= bytes.size() && bytes.compare(at, 4, "data") != 0)
            at += 8 + *reinterpret_cast<const std::uint32_t*>(&bytes[at + 4]);
        at = std::min(at + 8, bytes.size());
        std::vector<std::int16_t> all((bytes.size() - at) / 2);
        std::memcpy(all.data(), bytes.data() + at, all.size() * 2);
        const std::size_t window = 2 * static_cast<std::size_t>(44100 * windowSeconds);
        std::vector<double> rms;
        for (std::size_t start = 0; start + window <= all.size(); start += window) {
            double sum = 0.0;
            for (std::size_t i = start; i < start + window; ++i)
                sum += channel < 0 || int(i % 2) == channel ? double(all[i]) * all[i] : 0.0;
            rms.push_back(std::sqrt(sum / (channel < 0 ? window : window / 2)));
        }
        return rms;
    }
};

// When each loud stretch begins, in seconds.
std::vector<double> onsets(const std::vector<double>& rms)
{
    std::vector<double> times;
    for (std::size_t i = 1; i < rms.size(); ++i)
        if (rms[i] > loud && rms[i - 1] <= loud)
            times.push_back(i * windowSeconds);
    return times;
}

// The largest share of loud windows in any half second: footsteps leave gaps,
// a splash or a scrape hardly any.
double busiestHalfSecond(const std::vector<double>& rms)
{
    const std::size_t span = static_cast<std::size_t>(0.5 / windowSeconds);
    double best = 0.0;
    for (std::size_t i = 0; i + span <= rms.size(); ++i)
        best = std::max(
            best,
            double(std::count_if(rms.begin() + i, rms.begin() + i + span, [](double v) { return v > loud; })) / span);
    return best;
}

TEST_F(Sound, TheWelcomePictureIsSilent)
{
    start();
    waitGameTime(1.0);
    ASSERT_TRUE(quit());
    const std::vector<double> rms = loudness();
    ASSERT_GT(rms.size(), 25u) << "less than half a second recorded";
    EXPECT_LT(*std::max_element(rms.begin(), rms.end()), 1.0);
}

// North-east across the open floor, short of the moat: 5 m/s along each of
// two axes, a step every 1.6 m.
TEST_F(Sound, WalkingStepsAtTheRateOfTheWalk)
{
    startPlaying();
    hold({"w", "a"}, 1.3);
    ASSERT_TRUE(quit());
    const std::vector<double> rms = loudness();
    const std::vector<double> steps = onsets(rms);
    ASSERT_GE(steps.size(), 4u);
    const double rate = (steps.size() - 1) / (steps.back() - steps.front());
    EXPECT_NEAR(rate, 5.0 * std::sqrt(2.0) / 1.6, 0.6) << steps.size() << " steps";
    EXPECT_LT(busiestHalfSecond(rms), 0.5);
}

// North-east into the moat, where the steps end in a splash; north into the
// block, which slides before the player with a scrape.
TEST_F(Sound, TheSplashAndTheScrapeAreHeardAsLongLoudStretches)
{
    for (const std::vector<std::string>& keys : {std::vector<std::string>{"w", "a"}, {"w"}}) {
        SCOPED_TRACE(keys.size() == 2 ? "pit" : "block");
        startPlaying();
        hold(keys, 3.0);
        ASSERT_TRUE(quit());
        EXPECT_GT(busiestHalfSecond(loudness()), 0.7);
    }
}

// Beside the lift (west, then north to it) for a cycle of 10 s: its hum stops
// while it stands at the bottom and at the top (2 s each), and both ears hear it.
TEST_F(Sound, TheLiftHumsOnlyWhileItMovesInBothEars)
{
    startPlaying();
    hold({"d"}, 0.3);
    hold({"w"}, 2.0);
    const std::size_t from = loudness().size() + 10, second = std::size_t(1.0 / windowSeconds);
    waitGameTime(10.5);
    ASSERT_TRUE(quit());
    const std::vector<double> both = loudness(), left = loudness(0), right = loudness(1);
    ASSERT_GT(both.size(), from + 10 * second);
    double quietest = 1e9; // the crane, turning far off, hums on
    for (std::size_t i = from; i + second <= both.size(); ++i)
        quietest = std::min(quietest, std::accumulate(&both[i], &both[i] + second, 0.0) / second);
    EXPECT_LT(quietest, 600.0) << "the parked lift hums";
    const double l = std::accumulate(&left[from], &left.back(), 0.0),
                 r = std::accumulate(&right[from], &right.back(), 0.0);
    EXPECT_LT(std::max(l, r) / std::min(l, r), 4.0) << "left " << l << ", right " << r; // 12 dB
}

// Started muted the game plays into silence, however much goes on; M brings
// the sound back.
TEST_F(Sound, StartedMutedItIsSilentUntilM)
{
    arguments = {"--mute"};
    startPlaying();
    hold({"w", "a"}, 0.8);
    const std::vector<double> muted = loudness();
    ASSERT_GT(muted.size(), 50u);
    EXPECT_LT(*std::max_element(muted.begin(), muted.end()), 1.0);
    press("m");
    hold({"w", "a"}, 0.8);
    ASSERT_TRUE(quit());
    const std::vector<double> all = loudness();
    EXPECT_FALSE(onsets({all.begin() + muted.size(), all.end()}).empty());
}

// A volume of 0 in the settings file plays into silence too; so does one
// set on the settings picture (Tab, down to the volume, left to nothing),
// which keeps it in the file.
TEST_F(Sound, AVolumeOfNothingInTheSettingsFileOrOnItsPictureIsSilent)
{
    const std::filesystem::path file = workDir() / "config/quarrystack/settings.ini";
    for (const bool onThePicture : {false, true}) {
        SCOPED_TRACE(onThePicture ? "the settings picture" : "settings.ini");
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << (onThePicture ? "volume = 30\n" : "volume = 0\n");
        if (onThePicture) {
            start();
            for (const char* key : {"Tab", "Down", "Down", "Left", "Left", "Left", "Tab"})
                press(key);
            EXPECT_NE(readAll("config/quarrystack/settings.ini").find("\nvolume = 0\n"), std::string::npos);
            press("Return");
            press("F9");
            waitGameTime(0.5);
        } else {
            startPlaying();
        }
        hold({"w", "a"}, 0.8);
        ASSERT_TRUE(quit());
        const std::vector<double> rms = loudness();
        ASSERT_GT(rms.size(), 50u);
        // The picture's clicks before the change sound at 30 %; the last 1.2 s, the walk, is silent.
        const auto from = onThePicture ? rms.end() - std::lround(1.2 / windowSeconds) : rms.begin();
        EXPECT_LT(*std::max_element(from, rms.end()), 1.0);
    }
}

// Sound never stops the game: with no device, or a sound that cannot be read,
// it says so in one line on standard error and plays on.
TEST_F(Sound, WithoutADeviceOrAFileTheGamePlaysOnAfterOneLine)
{
    const struct {
        const char* name;
        const char* driver;   // "wave" writes into a folder that does not exist
        const char* broken;   // a sound file of the data copy, or none
        const char* contents; // what it is replaced by; null removes it
        const char* line;     // the one line on standard error (a spurious one would make two)
    } rows[] = {
        {"a device that cannot open", "wave", nullptr, nullptr, "Sound: no audio device"},
        {"a missing sound", "null", "Sounds/splash.wav", nullptr, "Sound: Sounds/splash.wav cannot be played"},
        {"a garbage sound", "null", "Sounds/footstep.wav", "RIFF, but not a sound",
         "Sound: Sounds/footstep.wav cannot be played"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        useDriver(row.driver, workDir() / "no-such-folder/heard.wav");
        if (row.broken && row.contents)
            std::ofstream(data(row.broken)) << row.contents;
        else if (row.broken)
            fs::remove(data(row.broken));
        startPlaying();
        hold({"w", "a"}, 3.0); // steps and the splash
        ASSERT_TRUE(quit());
        const std::string errors = this->errors();
        const std::size_t first = errors.find("Sound:");
        EXPECT_EQ(errors.find(row.line), first) << errors;
        EXPECT_EQ(errors.rfind("Sound:"), first) << "more than one line: " << errors;
        if (row.broken)
            fs::copy_file(fs::path(QUARRYSTACK_SOURCE_DIR) / row.broken, data(row.broken),
                          fs::copy_options::overwrite_existing);
    }
}

} // namespace
