// The rules that turn the player's and the blocks' reports into sounds.
#include "app/GameSounds.h"

#include "audio/SoundSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

// Walking at 5 m/s for a second in sub-steps of 1/60 s steps three times, every
// 1.6 m (19.2 sub-steps), the first half a stride in; a stop starts afresh.
TEST(SoundRules, AStepIsDueEveryStrideWalkedTheFirstHalfAStrideIn)
{
    soundRules::FootstepClock clock;
    std::vector<int> due;
    for (int i = 0; i < 60; ++i)
        if (clock.advance(5.0f / 60.0f))
            due.push_back(i);
    EXPECT_EQ(due, (std::vector<int>{9, 28, 47}));
    clock.advance(0.0f); // standing
    int untilNext = 1;
    while (!clock.advance(5.0f / 60.0f))
        ++untilNext;
    EXPECT_EQ(untilNext, 10);
}

TEST(SoundRules, LandingsAndScrapesAreHeardOnlyAboveTheirThresholds)
{
    const struct {
        float landing;   // falling speed
        glm::vec3 block; // a block's velocity
        bool landingHeard, scrapeHeard;
    } rows[] = {
        {1.0f, {0.1f, 0.0f, 0.1f}, false, false},  // a step down; a block at rest, nudged
        {2.9f, {0.0f, -3.0f, 2.0f}, false, false}, // the start's drop; a block falling, not sliding
        {6.0f, {0.0f, 0.05f, 1.0f}, true, true},   // a jump's landing; a block pushed along
    };
    for (const auto& row : rows) {
        EXPECT_EQ(soundRules::landingGain(row.landing) > 0.0f, row.landingHeard) << row.landing;
        EXPECT_EQ(soundRules::scrapeGain(row.block) > 0.0f, row.scrapeHeard) << row.block.y;
    }
    EXPECT_LT(soundRules::landingGain(6.0f), soundRules::landingGain(12.0f));
    EXPECT_LT(soundRules::scrapeGain({0.0f, 0.0f, 1.0f}), soundRules::scrapeGain({3.0f, 0.0f, 0.0f}));
}

// Twelve landings at once sum far past full scale: the mix, written by OpenAL
// Soft's wave writer as it plays, stays under it.
TEST(SoundSystem, ManySoundsAtOnceStayUnderFullScale)
{
    const TempDir dir("limiter");
    const std::string config = (dir.path() / "alsoft.conf").string(), heard = (dir.path() / "heard.wav").string();
    std::ofstream(config) << "[general]\ndrivers = wave\nsample-type = int16\nchannels = mono\n[wave]\nfile = " << heard
                          << "\n";
    setenv("ALSOFT_CONF", config.c_str(), 1);
    {
        audio::SoundSystem sound(false);
        const audio::SoundId landing = sound.load(QUARRYSTACK_SOURCE_DIR "/Sounds/landing.wav");
        for (int i = 0; i < 12; ++i)
            sound.play(landing, 1.0f);
        while (std::filesystem::file_size(heard) < 44100 * 2 / 2) // half a second
            std::this_thread::yield();
    }
    unsetenv("ALSOFT_CONF");
    audio::Samples mix;
    ASSERT_EQ(audio::readSamples(heard, mix), "");
    EXPECT_LT(*std::max_element(mix.data.begin(), mix.data.end()), 32767);
    EXPECT_GT(*std::max_element(mix.data.begin(), mix.data.end()), 8000) << "nothing was heard";
}

} // namespace
