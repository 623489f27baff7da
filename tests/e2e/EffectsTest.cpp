// The settings keys in play on a 320 x 180 screen: each step presses a key
// (or holds it for some frames) and compares the view with the start view.
// How each effect looks is for the golden views and the GL tests, what each
// key sets for the unit test SettingsKeys; here it is that the key reaches the
// picture, once per press, and that the second press undoes it, for the
// switches that every golden view leaves on.
//
// The lift, right of the centre of the start view, moves all the time: only
// the part of the screen left of where it and its shadow sweep (measured: x
// 183..313) counts, where two pictures without a key differ in at most 0.2 %
// of the pixels.
#include "support/Game.h"

#include <ostream>

namespace {

constexpr Rect leftOfTheLift{0, 0, 180, 180};

struct Step {
    std::vector<std::string> keys;
    int frames;      // held this many sixtieths of a second of game time; 0: one press
    double minShare; // of the pixels that differ from the start view
    double maxShare;
    const char* title = ""; // what the window title then ends with
    std::size_t reloads = 0;
};

struct KeyCase {
    const char* name;
    std::vector<Step> steps;
};

std::ostream& operator<<(std::ostream& out, const KeyCase& c) { return out << c.name; }

constexpr double same = 0.002, changed = 0.05;
constexpr const char* startFilters = "TMQ: GL_NEAREST MMQ: GL_LINEAR_MIPMAP_LINEAR";

const KeyCase keyCases[] = {
    // Held for many frames, a switch still switches once.
    {"F7Bloom", {{{"F7"}, 0, changed, 1}, {{"F7"}, 12, 0, same}}},
    {"F10Shadows", {{{"F10"}, 0, changed, 1}, {{"F10"}, 0, 0, same}}},
    // A light key moves the first light (6 units a second; the axes and signs
    // are the unit tests'), and held with its opposite it cancels in every
    // physics step, however the frames fall.
    {"LightKeys",
     {{{"K", "H"}, 10, 0, same}, {{"U", "J"}, 10, 0, same}, {{"L", "O"}, 10, 0, same}, {{"K"}, 10, 0.1, 1}}},
    // While a mipmap filter is in effect the texture filter shows only in the
    // title; without mipmaps the distant stone turns to speckle.
    {"F4F5Filters",
     {{{"F4"}, 0, 0, same, "TMQ: GL_LINEAR MMQ: GL_LINEAR_MIPMAP_LINEAR"},
      {{"F4"}, 12, 0, same, startFilters},
      {{"F5"}, 0, changed, 1, "TMQ: GL_NEAREST MMQ: OFF"},
      {{"F5"}, 12, 0, 1, "MMQ: GL_NEAREST_MIPMAP_NEAREST"},
      {{"F4", "F5"}, 12, 0, same, "TMQ: GL_LINEAR MMQ: GL_LINEAR_MIPMAP_LINEAR"}}},
    // R held for many frames resets the level once; the blocks and the
    // player come to rest again.
    {"RResetsOnce", {{{"w"}, 25, 0.3, 1}, {{"r"}, 12, 0, same, startFilters, 1}}},
};

class Keys : public GameTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(Keys, ActOncePerPressAndTheSecondUndoes)
{
    startPlaying(320, 180);
    const Shot start = screenshot("start");
    int n = 0;
    for (const Step& step : GetParam().steps) {
        SCOPED_TRACE("step " + std::to_string(++n) + ": " + step.keys.at(0));
        const std::size_t from = mark();
        if (step.frames == 0) {
            press(step.keys.at(0));
        } else {
            waitFrames(2); // past the frame that the screenshot held up, which a light key would stretch
            hold(step.keys, step.frames / 60.0); // a light key moves the light 6 units a second
            waitFrames(step.reloads ? 30 : 3);   // after a reset, the level settles
        }
        const double share = differingShare(screenshot("step" + std::to_string(n)), start, 6, leftOfTheLift);
        EXPECT_GE(share, step.minShare);
        EXPECT_LE(share, step.maxShare);
        EXPECT_EQ(count("RELOAD", from), step.reloads);
        const std::string shown = title(), wanted = step.title;
        EXPECT_EQ(shown.substr(shown.size() - std::min(shown.size(), wanted.size())), wanted);
    }
    ASSERT_TRUE(quit());
}

INSTANTIATE_TEST_SUITE_P(Cases, Keys, ::testing::ValuesIn(keyCases),
                         [](const ::testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

} // namespace
