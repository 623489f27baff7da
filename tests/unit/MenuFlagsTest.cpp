#include "render/MenuScreen.h"

#include <gtest/gtest.h>

namespace {

// W welcome, V win, G game over, P playing (no picture).
MenuFlags showing(char picture)
{
    MenuFlags flags;
    flags.showing = picture != 'P';
    flags.welcome = picture == 'W';
    flags.win = picture == 'V';
    flags.gameOver = picture == 'G';
    return flags;
}

} // namespace

// One frame's menu keys: Enter leaves the welcome picture, R leads from the
// win picture back to the welcome picture and from game over straight into
// play; nothing else changes a picture, and with none up keys do nothing.
TEST(MenuFlags, OneFrameOfEnterAndR)
{
    const char* rows[] = {"W.. W", "W.R W", "WE. P", "WER P", "V.. V", "VE. V", "V.R W", "VER W",
                          "G.. G", "GE. G", "G.R P", "GER P", "PE. P", "P.R P", "PER P"};
    for (const char* row : rows) {
        MenuFlags flags = showing(row[0]);
        flags.applyKeys(row[1] == 'E', row[2] == 'R');
        const MenuFlags expected = showing(row[4]);
        EXPECT_TRUE(flags.showing == expected.showing && flags.welcome == expected.welcome &&
                    flags.win == expected.win && flags.gameOver == expected.gameOver)
            << row;
    }
    const MenuFlags start;
    EXPECT_TRUE(start.showing && start.welcome && !start.win && !start.gameOver);
}

TEST(MenuFlags, OnlyAnExactFourByThreeScreenGetsTheSquarePictures)
{
    const struct {
        int width, height;
        bool fourByThree;
    } rows[] = {{1024, 768, true}, {800, 600, true}, {1920, 1080, false}, {1280, 1024, false}, {1366, 768, false}};
    for (const auto& row : rows)
        EXPECT_EQ(isFourByThree(row.width, row.height), row.fourByThree) << row.width << "x" << row.height;
}
