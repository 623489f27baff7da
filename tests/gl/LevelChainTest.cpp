// The chain of levels, each won by a route of held keys at 60 frames a second
// and at 10, and none won by holding W, or W and space, for a minute. No mouse:
// the heading stays north, so W walks north, A east, S south and D west.

#include "Fixture.h"

namespace {

// Keys held for a while: letters of W, A, S and D, '_' for space, none for a wait.
struct Leg {
    std::string keys;
    double seconds;
};

// The routes of `makelevel --route`, in the order of the chain.
const struct {
    const char* file;
    std::vector<Leg> legs;
} chain[] = {
    {"Data/LevelFinal.dae", {{"W", 3}, {"W_", 5}, {"W", 1}, {"A", 0.8}, {"A_", 0.25}, {"A", 3}}},
    {"Data/LevelShaft.dae", {{"W", 5.3}, {"", 4}, {"W", 6}}},
    {"Data/LevelBridge.dae", {{"D", 0.7}, {"W", 2.5}, {"S", 0.6}, {"A", 0.4}, {"W", 0.8}, {"D", 0.4}, {"W", 3}}},
    {"Data/LevelCauseway.dae", {{"W", 3}, {"S", 0.3}, {"D", 0.5}, {"W", 1}, {"A", 3}, {"A_", 4}}},
    {"Data/LevelStairs.dae",
     {{"D", 0.8},
      {"W", 3},
      {"D", 1.5},
      {"A", 0.3},
      {"S", 2.1},
      {"D_", 0.6},
      {"W", 3.5},
      {"S", 2.5},
      {"A", 0.8},
      {"W", 3.5},
      {"D", 0.8},
      {"W_", 4}}},
    {"Data/LevelCarry.dae", {{"D", 1}, {"", 4}, {"W", 10}, {"W_", 4}}},
};

class LevelChainTest : public GlTest {
protected:
    // True when the legs, played at `fps`, end on the win picture.
    bool wins(const std::string& file, const std::vector<Leg>& legs, double fps)
    {
        LoadedLevel level(window, file);
        double clock = 0.0, end = 0.0;
        for (const Leg& leg : legs) {
            level.input.pressed.clear();
            for (char c : leg.keys)
                level.input.pressed.insert(c == '_' ? GLFW_KEY_SPACE : int(c));
            for (end += leg.seconds; clock < end - 1e-9 && !level.menu.showing(); clock += 1.0 / fps)
                level.frame(1.0 / fps);
        }
        return level.menu.screen() == MenuState::Screen::Win;
    }
};

TEST_F(LevelChainTest, EachLevelIsWonByItsRouteAtAnyFrameRate)
{
    for (const auto& level : chain)
        for (double fps : {60.0, 10.0})
            EXPECT_TRUE(wins(level.file, level.legs, fps)) << level.file << " at " << fps << " fps";
}

TEST_F(LevelChainTest, HoldingWOrWAndSpaceWinsNoLevel)
{
    for (const auto& level : chain)
        for (const char* keys : {"W", "W_"})
            EXPECT_FALSE(wins(level.file, {{keys, 60}}, 60.0)) << level.file << " holding " << keys;
}

} // namespace
