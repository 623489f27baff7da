// The light keys in the real game: U/J, H/K and L/O move the first light of
// the level (the quarry lamp above and to the left of dynamicBlock1) by 0.1
// along z, x and y on every frame they are held. The lighting and the block's
// shadow shift; the opposite key moves the lamp back.
#include "EffectsTest.h"

namespace {

struct LightKeys {
    const char* away;
    const char* back;
    const char* axis;
};

// Ten frames move the lamp one unit (a frame more or less while the key
// goes down and up: the way back is rough).
constexpr int framesHeld = 10;

} // namespace

TEST_F(EffectsTest, LightKeysMoveTheFirstLightAndItsShadows)
{
    startPlaying();
    // Without bloom the lit floor keeps its shading instead of glowing white.
    tap("F7");
    const Image start = view("start");

    for (const LightKeys keys : {LightKeys{"K", "H", "x"}, LightKeys{"U", "J", "z"}, LightKeys{"L", "O", "y"}}) {
        SCOPED_TRACE(std::string("light along ") + keys.axis + ": " + keys.away + " then " + keys.back);
        holdFrames({keys.away}, framesHeld);
        const Image moved = view(std::string("moved-") + keys.away);
        holdFrames({keys.back}, framesHeld);
        const Image back = view(std::string("back-") + keys.back);

        const double movedShare = outside(changedPixels(start, moved, 6), liftArea).share();
        const double backShare = outside(changedPixels(start, back, 6), liftArea).share();
        // Two pictures without a key differ in at most 0.2 % (outside the lift).
        EXPECT_GT(movedShare, 0.05) << keys.away << " did not change the lighting";
        EXPECT_LT(backShare, movedShare / 3.0) << keys.back << " did not move the light back";
    }

    ASSERT_TRUE(quit());
}
