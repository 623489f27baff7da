// The chain of levels, each won by its route of held keys at 60 frames a second
// and at 10, and none won by holding W, or W and space, for a minute.

#include "Fixture.h"
#include "support/LevelRoutes.h"

namespace {

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
    for (const LevelRoute& level : chainRoutes)
        for (double fps : {60.0, 10.0})
            EXPECT_TRUE(wins(level.file, level.legs, fps)) << level.file << " at " << fps << " fps";
}

TEST_F(LevelChainTest, HoldingWOrWAndSpaceWinsNoLevel)
{
    for (const LevelRoute& level : chainRoutes)
        for (const char* keys : {"W", "W_"})
            EXPECT_FALSE(wins(level.file, {{keys, 60}}, 60.0)) << level.file << " holding " << keys;
}

} // namespace
