// The chain of levels as a new player meets it: the first level chosen on the
// welcome picture, won, its time shown and kept, Enter on to the next and so
// through all six by their routes of held keys, a pause, quitting, and the
// levels reached and best times found again on the next start, where Enter
// plays the furthest level and a click the one under the pointer.
#include "support/Game.h"
#include "support/LevelRoutes.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    // Each leg's keys held for its time of play, changing only the keys that change.
    void play(const std::vector<Leg>& legs)
    {
        std::vector<std::string> down;
        for (const Leg& leg : legs) {
            std::vector<std::string> keys;
            for (const char c : leg.keys)
                keys.push_back(c == '_' ? "space" : std::string(1, char(std::tolower(c))));
            std::vector<std::string> up;
            for (const std::string& key : down)
                if (std::find(keys.begin(), keys.end(), key) == keys.end())
                    up.push_back(key);
            std::vector<std::string> pressed;
            for (const std::string& key : keys)
                if (std::find(down.begin(), down.end(), key) == down.end())
                    pressed.push_back(key);
            if (!up.empty())
                keyUp(up);
            if (!pressed.empty())
                keyDown(pressed);
            down = keys;
            waitGameTime(leg.seconds);
        }
        if (!down.empty())
            keyUp(down);
    }
};

TEST_F(Chain, EveryLevelIsWonInTurnAndTheProgressIsThereOnTheNextStart)
{
    start(160, 90);
    const Shot fresh = screenshot("fresh");
    std::size_t from = mark();
    press("Return");
    press("F10"); // no shadows and no bloom: more frames a second
    press("F7");
    std::string progress;
    for (int level = 0; level < 6; ++level) {
        SCOPED_TRACE(chainRoutes[level].file);
        waitFor("RELOAD", from);
        play(chainRoutes[level].legs);
        screenshot("level" + std::to_string(level + 1)); // the win picture, or where the route went wrong
        const std::string best = std::string("best = ") + chainRoutes[level].file + " [1-9][0-9]?\\.[0-9]+\n";
        progress = progressFile();
        ASSERT_TRUE(std::regex_search(progress, std::regex("reached = " + std::to_string(std::min(level + 2, 6)))))
            << progress;
        ASSERT_TRUE(std::regex_search(progress, std::regex(best))) << progress;
        from = mark();
        press("Return"); // on to the next level; after the last, back to the welcome picture
        if (level == 0) {
            waitFor("Floor_lift1_Anim", from); // the second level's bodies
            waitFor("RELOAD", from);
            press("p");
            screenshot("paused");
            press("p");
        }
    }
    ASSERT_TRUE(quit());

    start(160, 90);
    EXPECT_GT(differingShare(screenshot("again"), fresh, 24, levelList()), 0.02) << "the levels open, their times";
    EXPECT_EQ(progressFile(), progress);
    const std::size_t again = mark();
    press("Return");              // the furthest level reached is chosen
    waitFor("Floor_dais", again); // the last level's
    ASSERT_TRUE(quit());

    start(160, 90);
    const std::size_t clicked = mark();
    pointAt(50, 50); // the list's first row
    waitFrames(2);
    click();
    waitFor("RELOAD", clicked);
    EXPECT_EQ(count("beacon_win", clicked), 0u) << "the first level, loaded at the start, plays: no other loads";
    ASSERT_TRUE(quit());
}

} // namespace
