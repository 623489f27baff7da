// The chain of levels, each won by its route of held keys at 60, 10 and 144
// frames a second, begun a quarter second late or not, and with every leg held
// 5 % short or long, as a player's hands play it; and none won by holding W, or
// W and space, for a minute.

#include "Fixture.h"
#include "support/LevelRoutes.h"

namespace {

class LevelChainTest : public GlTest {
protected:
    // True when the legs, played at `fps` after standing still for `delay`
    // seconds, each held `scale` times its time, end on the win picture.
    bool wins(const std::string& file, const std::vector<Leg>& route, double fps, double delay = 0.0,
              double scale = 1.0)
    {
        std::vector<Leg> legs{{"", delay}};
        for (const Leg& leg : route)
            legs.push_back({leg.keys, leg.seconds * scale});
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

TEST_F(LevelChainTest, EachLevelIsWonByItsRouteAtAnyFrameRateLateOrOffPace)
{
    for (const LevelRoute& level : chainRoutes)
        for (double fps : {60.0, 10.0, 144.0})
            for (double delay : {0.0, 0.25})
                for (double scale : {0.95, 1.0, 1.05})
                    EXPECT_TRUE(wins(level.file, level.legs, fps, delay, scale))
                        << level.file << " at " << fps << " fps, " << delay << " s late, legs x" << scale;
}

TEST_F(LevelChainTest, HoldingWOrWAndSpaceWinsNoLevel)
{
    for (const LevelRoute& level : chainRoutes)
        for (const char* keys : {"W", "W_"})
            EXPECT_FALSE(wins(level.file, {{keys, 60}}, 60.0)) << level.file << " holding " << keys;
}

} // namespace
