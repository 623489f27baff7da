#include "app/MenuState.h"
#include "support/GlContext.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Screen = MenuState::Screen;

MenuState menuOn(char screen)
{
    MenuState menu;
    if (screen == 'P')
        menu.startPlay();
    else if (screen == 'V')
        menu.showWin();
    else if (screen == 'G')
        menu.showGameOver();
    return menu;
}

char letterOf(const MenuState& menu)
{
    const char letter = "WPVG"[static_cast<int>(menu.screen())];
    return menu.showing() == (letter != 'P') ? letter : '?';
}

} // namespace

// One frame's menu keys: Enter leaves the welcome picture, R leads from the
// win picture back to the welcome picture and from game over straight into
// play; nothing else changes a picture, and with none up keys do nothing.
// W welcome, V win, G game over, P playing (no picture); E and R the keys held.
TEST(MenuState, OneFrameOfEnterAndRAndAWinOverAGameOver)
{
    EXPECT_EQ(letterOf(MenuState{}), 'W');
    const char* rows[] = {"W.. W", "W.R W", "WE. P", "WER P", "V.. V", "VE. V", "V.R W", "VER W",
                          "G.. G", "GE. G", "G.R P", "GER P", "PE. P", "P.R P", "PER P"};
    for (const std::string row : rows) {
        MenuState menu = menuOn(row[0]);
        menu.applyKeys(row[1] == 'E', row[2] == 'R');
        EXPECT_EQ(letterOf(menu), row[4]) << row;
    }
    FakeInput keys; // no key held: a tap of Enter between two frames starts play all the same
    input::setBackend(&keys), input::notePress(GLFW_KEY_ENTER);
    MenuState tapped;
    tapped.readKeys(nullptr);
    input::setBackend(nullptr);
    EXPECT_EQ(letterOf(tapped), 'P');
    // A win and a fall found in the same frame: the win picture stays up.
    MenuState both = menuOn('P');
    both.showWin();
    both.showGameOver();
    EXPECT_EQ(letterOf(both), 'V');
}
