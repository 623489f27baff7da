// The game as a player meets it: start-up and the console, the menu pictures,
// the imported level, and the levels played with keys alone (the shaft's lifts
// lead to a win, the flooded pit loses; the quarry's way out over the pushed
// block is the GL test TheBlockClimbReachesTheBeacon's, at 60 and 3 fps).
//
// World directions: the player starts at (-7, 0.725, -10) looking north (+z);
// W walks north, S south, A east (+x), D west. Walks are measured in the
// game's simulated time (waitGameTime), never in wall-clock time.
#include "support/Game.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <regex>
#include <sstream>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class Play : public GameTest {
protected:
    // The menu picture ("welcome", "win", "gameOver") the game is to show on
    // this screen, as its mipmapped texture samples it: the screens here are a
    // quarter or an eighth of the picture, so a box filter of that width gives
    // the mipmap level the game reads.
    // Up to 20 screenshots, two frames apart, until one shows it. Another
    // picture differs in most of its pixels; the allowance is for rounding.
    bool showsPicture(const std::string& picture)
    {
        const char* shape = screenWidth * 3 == screenHeight * 4 ? "4_3.png" : "16_9.png";
        const Shot expected = loadShot(
            std::string(QUARRYSTACK_SOURCE_DIR) + "/Textures/menu/" + picture + shape,
            {"-filter", "Box", "-resize", std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "!"});
        for (int attempt = 0; attempt < 20; ++attempt)
            if (differingShare(screenshot(picture), expected, 4, picturesOwnPart(picture, screenWidth, screenHeight)) <
                0.005)
                return true;
        return false;
    }

    // Two views of the start. The lift, right of the centre, goes on moving
    // through a reset (animations keep their clock), so only the part of the
    // view left of it counts: the floor, the cliffs and the two blocks.
    static double startViewChange(const Shot& a, const Shot& b)
    {
        return differingShare(a, b, 24, {0, 0, a.width * 57 / 100, a.height});
    }
};

// Data/LevelFinal.dae's mesh nodes in file order, each body's name line
// followed by the line of its list where it has one.
// clang-format off
const std::vector<std::string> bodyLines = {
    "cliff_north", "cliff_south", "cliff_west", "cliff_east", "Floor_quarry", "ADDED TO FLOOR: Floor_quarry",
    "ledge_rock", "Floor_ledge", "ADDED TO FLOOR: Floor_ledge", "terrace_rock", "Floor_terrace",
    "ADDED TO FLOOR: Floor_terrace", "pit_loose", "rock_pillar1", "rock_pillar2", "scaffold_frame", "Floor_scaffold",
    "ADDED TO FLOOR: Floor_scaffold", "Floor_crate1", "ADDED TO FLOOR: Floor_crate1", "Floor_crate2",
    "ADDED TO FLOOR: Floor_crate2", "dynamicBlock1", "ADDED TO dynamic: dynamicBlock1", "dynamicBlock2",
    "ADDED TO dynamic: dynamicBlock2", "dynamicBlock3", "ADDED TO dynamic: dynamicBlock3", "dynamicBlock4",
    "ADDED TO dynamic: dynamicBlock4", "beacon_win", "Floor_lift_Anim", "ADDED TO FLOOR: Floor_lift_Anim",
    "lift_frame", "crane_mast", "crane_arm_Anim", "player"};
// clang-format on

// From start to play on a 4:3 screen (16:9 is the Windowed test's): the bodies,
// the welcome picture filling it (R belongs to the other two), at most 60 a
// second, a line a frame, the title, Enter held long starting play once, the
// lit level, and Escape.
TEST_F(Play, StartsOnTheWelcomePictureAndEnterPlaysTheLitLevel)
{
    static const std::regex titleFormat(R"(^Quarrystack, FPS: [1-9]\d* Frametime: \d+\.\d\d ms Framesskipped: 0 )"
                                        R"(TMQ: GL_NEAREST MMQ: GL_LINEAR_MIPMAP_LINEAR$)");
    static const std::regex frameLine(R"(^frametime: \d+(\.\d+)?(e[+-]\d+)?ms$)"); // the stream's default format
    start(256, 192);
    EXPECT_TRUE(showsPicture("welcome"));
    std::size_t from = mark();
    press("r");
    // A frame-rate sample falls due a second after start; from then on
    // the title shows a real frame rate.
    waitGameTime(1.5);
    EXPECT_TRUE(showsPicture("welcome")); // and no RELOAD among the frame lines below
    EXPECT_TRUE(std::regex_match(title(), titleFormat)) << title();
    const std::string out = output();
    EXPECT_EQ(linesOf(out.substr(0, out.find("frametime:"))), bodyLines);
    const std::vector<std::string> frames = linesOf(out.substr(out.find("frametime:")));
    double ms = 0.0;                                      // after the first frame, which waited for the level
    for (std::size_t i = 0; i + 1 < frames.size(); ++i) { // the last may be incomplete
        EXPECT_TRUE(std::regex_match(frames[i], frameLine)) << frames[i];
        ms += i > 0 ? std::atof(frames[i].c_str() + 11) : 0.0;
    }
    EXPECT_GE(ms / double(frames.size() - 2), 16.5);

    from = mark();
    press("Return", 20);
    EXPECT_EQ(count("RELOAD", from), 1u);
    // Lit and textured: many colours rather than a few flat ones.
    EXPECT_GT(distinctColours(screenshot("level")), 1000u);
    ASSERT_TRUE(quit());
    // Standard error is for real trouble, such as an incomplete
    // framebuffer; driver notes may appear there.
    EXPECT_THAT(errors(), Not(HasSubstr("ERROR")));
}

// A level won by holding W alone: the level guide's walk-through made in
// Blender and exported with its defaults (Z up), where the player starts on
// its floor facing the beacon 8 m ahead.
TEST_F(Play, HoldingWWinsTheBlenderWalkThrough)
{
    arguments = {"--level", QUARRYSTACK_SOURCE_DIR "/tests/data/blender/walk.dae"};
    startPlaying(160, 90);
    press("F10"); // no shadows and no bloom: more frames a second
    press("F7");
    hold({"w"}, 3.0);
    ASSERT_TRUE(showsPicture("win"));
    ASSERT_TRUE(quit());
}

TEST_F(Play, WalkingIntoThePitLosesAndRPlaysOnFromTheStart)
{
    startPlaying();
    const Shot startView = screenshot("start");
    // North-east from the start: the quarry floor ends at z = -1 in the moat.
    hold({"w", "a"}, 3.0);
    ASSERT_TRUE(showsPicture("gameOver"));
    moveMouse(40, 10);
    const std::size_t from = mark();
    press("r");
    waitFor("RELOAD", from);
    waitGameTime(0.5);
    EXPECT_EQ(count("RELOAD", from), 1u) << "the R that left the picture resets once";
    EXPECT_LT(startViewChange(screenshot("resumed"), startView), 0.02);
    ASSERT_TRUE(quit());
}

// Behind the pause picture the world stands still (W held and the mouse moved
// change nothing; no reset after). P, then a click, plays on.
TEST_F(Play, PStopsTheWorldBehindThePausePictureAndPOrAClickPlaysOn)
{
    startPlaying();
    const Shot before = screenshot("before");
    const std::size_t from = mark();
    for (const bool clickToPlayOn : {false, true}) {
        press("p");
        ASSERT_TRUE(showsPicture("pause"));
        moveMouse(40, 10);
        hold({"w"}, 1.0);
        clickToPlayOn ? click() : press("p");
        waitGameTime(0.3);
        EXPECT_LT(startViewChange(screenshot("resumed"), before), 0.02);
    }
    EXPECT_EQ(count("RELOAD", from), 0u);
    hold({"w"}, 0.5);
    EXPECT_GT(startViewChange(screenshot("walked"), before), 0.02) << "plays on";
    ASSERT_TRUE(quit());
}

// Over play, the level's hint fades after 5 s; F9 hides the crosshair as well.
TEST_F(Play, TheHintFadesAndF9HidesTheCrosshair)
{
    startPlaying(320, 180);
    press("F9");
    const Shot hint = screenshot("hint");
    waitGameTime(5.0);
    const Shot faded = screenshot("faded");
    press("F9");
    const Shot hidden = screenshot("hidden");
    const Rect hintRow{0, 140, 320, 20}, centre{154, 84, 12, 12};
    EXPECT_GT(differingShare(hint, faded, 24, hintRow), 0.05);
    EXPECT_LT(differingShare(faded, hidden, 24, hintRow), 0.01);
    EXPECT_GT(differingShare(faded, hidden, 24, centre), 0.05);
    ASSERT_TRUE(quit());
}

// 377 px of mouse travel at 1/60 rad a pixel is a full turn whatever the frame rate: at 1280 × 720
// with every effect on (slow frames) and at 160 × 90 (fast ones) the view comes back to the start.
TEST_F(Play, AFullTurnOfMouseTravelIsAFullTurnOnAnyScreen)
{
    for (const auto& [width, height] : {std::pair{1280, 720}, std::pair{160, 90}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        startPlaying(width, height);
        const Shot startView = screenshot("start");
        for (int moved = 0; moved < 377; moved += 58) {
            moveMouse(std::min(58, 377 - moved), 0);
            waitFrames(2);
            if (moved == 116) { // about half a turn
                EXPECT_GT(startViewChange(screenshot("half"), startView), 0.2);
            }
        }
        // The body's spin shifts the eye by 3 cm, which a large screen shows in fine detail; a
        // turn off by even a tenth of a radian changes most of the picture.
        EXPECT_LT(startViewChange(screenshot("turned"), startView), 0.12);
        ASSERT_TRUE(quit());
    }
}

} // namespace
