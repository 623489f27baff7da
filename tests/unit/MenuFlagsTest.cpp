#include "render/MenuScreen.h"

#include <gtest/gtest.h>

// One frame's menu keys: Enter leaves the welcome picture, R leads from the
// win picture back to the welcome picture and from game over straight into
// play; nothing else changes a picture, and with none up keys do nothing.
// W welcome, V win, G game over, P playing (no picture); E and R the keys held.
TEST(MenuFlags, OneFrameOfEnterAndR)
{
    const char* rows[] = {"W.. W", "W.R W", "WE. P", "WER P", "V.. V", "VE. V", "V.R W", "VER W",
                          "G.. G", "GE. G", "G.R P", "GER P", "PE. P", "P.R P", "PER P"};
    for (const char* row : rows) {
        MenuFlags menu;
        menu.showing = row[0] != 'P', menu.welcome = row[0] == 'W';
        menu.win = row[0] == 'V', menu.gameOver = row[0] == 'G';
        menu.applyKeys(row[1] == 'E', row[2] == 'R');
        const bool onePicture = menu.welcome + menu.win + menu.gameOver == (menu.showing ? 1 : 0);
        const char after = !onePicture ? '?' : !menu.showing ? 'P' : menu.welcome ? 'W' : menu.win ? 'V' : 'G';
        EXPECT_EQ(after, row[4]) << row;
    }
}

// Only an exact 4:3 screen gets the square pictures.
TEST(MenuFlags, FourByThree)
{
    EXPECT_TRUE(isFourByThree(1024, 768) && isFourByThree(800, 600));
    EXPECT_FALSE(isFourByThree(1920, 1080) || isFourByThree(1280, 1024) || isFourByThree(1366, 768));
}
