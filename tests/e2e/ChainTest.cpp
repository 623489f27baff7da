// The chain of levels as a new player meets it: the first level chosen on the
// welcome picture, won, its time shown and kept, Enter on to the next, a
// pause, quitting, and the levels reached and best times found again on the
// next start, where Enter plays the furthest level and a click the one under
// the pointer. (Every level of the chain is won by scripted play in the GL
// test LevelChain.)
#include "support/Game.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

class Chain : public GameTest {
protected:
    std::string progressFile() { return readAll("state/quarrystack/progress.ini"); }
    // The welcome picture's list of levels: the left column of its panel.
    Rect levelList() const
    {
        return {screenWidth * 15 / 100, screenHeight * 52 / 100, screenWidth * 35 / 100, screenHeight * 32 / 100};
    }
};

TEST_F(Chain, TheFirstLevelWonLeadsToTheNextAndIsRememberedOnTheNextStart)
{
    start(320, 180);
    const Shot fresh = screenshot("fresh");
    press("Return");
    waitFor("RELOAD");
    press("F10"); // no shadows and no bloom: more frames a second
    press("F7");
    // The quarry's way out: push the block to the ledge and climb it, then
    // east along the ledge and over the trench to the beacon.
    keyDown({"w"}), waitGameTime(3.0), keyDown({"space"}), waitGameTime(5.0), keyUp({"space"}), waitGameTime(1.0);
    keyUp({"w"}), keyDown({"a"}), waitGameTime(0.8), keyDown({"space"}), waitGameTime(0.25), keyUp({"space"});
    waitGameTime(3.0), keyUp({"a"});
    screenshot("won");
    static const std::regex kept("# Quarrystack progress\nreached = 2\nbest = Data/LevelFinal.dae 1?[0-9]\\.[0-9]+\n");
    const std::string progress = progressFile();
    ASSERT_TRUE(std::regex_match(progress, kept)) << progress;

    const std::size_t from = mark();
    press("Return");
    waitFor("Floor_lift1_Anim", from); // the second level's bodies
    waitFor("RELOAD", from);
    press("p");
    screenshot("paused");
    ASSERT_TRUE(quit());

    start(320, 180);
    EXPECT_GT(differingShare(screenshot("again"), fresh, 24, levelList()), 0.02) << "the second level open, a time";
    EXPECT_EQ(progressFile(), progress);
    const std::size_t again = mark();
    press("Return"); // the furthest level reached is chosen
    waitFor("Floor_lift1_Anim", again);
    ASSERT_TRUE(quit());

    start(320, 180);
    const std::size_t clicked = mark();
    pointAt(100, 101); // the list's first row
    waitFrames(2);
    click();
    waitFor("RELOAD", clicked);
    EXPECT_EQ(count("Floor_lift1_Anim", clicked), 0u) << "the first level, loaded at the start, plays";
    ASSERT_TRUE(quit());
}

} // namespace
