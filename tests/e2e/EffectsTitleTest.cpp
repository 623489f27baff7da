// The texture filter keys in the real game, seen in the window title
// ("... TMQ: <texture filter> MMQ: <mipmap filter>") and on the screen, and
// the camera keys, which select among the level's cameras with no visible effect.
#include "EffectsTest.h"

#include <regex>

namespace {

struct Filters {
    std::string tmq;
    std::string mmq;
};

Filters filtersIn(const std::string& title)
{
    static const std::regex pattern(" TMQ: (\\S+) MMQ: (\\S+)$");
    std::smatch match;
    if (!std::regex_search(title, match, pattern))
        return {"?", "? in title \"" + title + "\""};
    return {match[1], match[2]};
}

} // namespace

TEST_F(EffectsTest, F4AndF5CycleTheFiltersInTheTitleAndPageKeysChangeNothing)
{
    startPlaying();
    const Image start = view("start");
    // tap() returns after frames that handled the key, and each frame sets the title.
    auto filters = [&] { return filtersIn(title()); };
    auto same = [&](const Image& shot) {
        return imagesMatch(without(shot, liftArea), without(start, liftArea), 6, 0.002);
    };

    const Filters atStart = filters();
    EXPECT_EQ(atStart.tmq, "GL_NEAREST");
    EXPECT_EQ(atStart.mmq, "GL_LINEAR_MIPMAP_LINEAR");

    // While a mipmap filter is in effect the texture filter shows only in the title.
    tap("F4");
    const Filters linear = filters();
    EXPECT_EQ(linear.tmq, "GL_LINEAR");
    EXPECT_EQ(linear.mmq, "GL_LINEAR_MIPMAP_LINEAR");
    EXPECT_TRUE(same(view("tmq-linear")));
    tap("F4");
    EXPECT_EQ(filters().tmq, "GL_NEAREST");

    tap("F5");
    EXPECT_EQ(filters().mmq, "OFF");
    // Without mipmaps the level samples its textures with GL_NEAREST: the
    // distant, minified stone turns to speckle.
    const Image nearest = view("mmq-off");
    const double changed = outside(changedPixels(start, nearest, 6), liftArea).share();
    EXPECT_GT(changed, 0.05) << "switching mipmaps off did not change the textures";
    tap("F5");
    EXPECT_EQ(filters().mmq, "GL_NEAREST_MIPMAP_NEAREST");
    tap("F5");
    EXPECT_EQ(filters().mmq, "GL_LINEAR_MIPMAP_LINEAR");
    EXPECT_TRUE(same(view("mmq-back")));

    // Held for many frames, each key acts once.
    holdFrames({"F4"}, 12);
    EXPECT_EQ(filters().tmq, "GL_LINEAR");
    holdFrames({"F5"}, 12);
    EXPECT_EQ(filters().mmq, "OFF");
    holdFrames({"F4", "F5"}, 12);
    const Filters both = filters();
    EXPECT_EQ(both.tmq, "GL_NEAREST");
    EXPECT_EQ(both.mmq, "GL_NEAREST_MIPMAP_NEAREST");
    tap("F5");
    EXPECT_EQ(filters().mmq, "GL_LINEAR_MIPMAP_LINEAR");

    // The level has one camera: Page Up runs the selection 0, 1, 0 and Page
    // Down 0, 1, 0, wrapping both ways, with no visible effect.
    for (const char* key : {"Prior", "Prior", "Next", "Next"})
        tap(key);
    EXPECT_TRUE(same(view("after-page-keys")));
    EXPECT_EQ(filters().mmq, "GL_LINEAR_MIPMAP_LINEAR");

    ASSERT_TRUE(quit());
}
