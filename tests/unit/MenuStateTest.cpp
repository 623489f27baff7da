#include "app/MenuState.h"
#include "app/Overlay.h"
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
    else if (screen == 'S')
        menu.startPlay(), menu.pause();
    return menu;
}

char letterOf(const MenuState& menu)
{
    const char letter = "WPVGS"[static_cast<int>(menu.screen())];
    return menu.showing() == (letter != 'P') ? letter : '?';
}

} // namespace

// One frame's keys: Enter leaves the welcome picture, R leads from win to
// welcome and from game over into play, P pauses play, P or a click plays on;
// nothing else changes a picture. W welcome, V win, G game over, S paused,
// P playing (no picture); E, R, P and C (a click) the keys pressed.
TEST(MenuState, OneFrameOfEnterRPAndAClickAndAWinOverAGameOver)
{
    EXPECT_EQ(letterOf(MenuState{}), 'W');
    const char* rows[] = {"W.... W", "W.R.. W", "WE... P", "WER.. P", "W..PC W", "V.... V", "VE... V", "V.R.. W",
                          "VER.. W", "V..PC V", "G.... G", "GE... G", "G.R.. P", "GER.. P", "G..PC G", "PE... P",
                          "P.R.. P", "PER.. P", "P...C P", "P..P. S", "S.... S", "SER.. S", "S..P. P", "S...C P"};
    for (const std::string row : rows) {
        MenuState menu = menuOn(row[0]);
        menu.applyKeys(row[1] == 'E', row[2] == 'R', row[3] == 'P', row[4] == 'C');
        EXPECT_EQ(letterOf(menu), row[6]) << row;
    }
    for (MenuState menu : {menuOn('W'), menuOn('V'), menuOn('G')}) // losing the focus pauses only play
        EXPECT_NE((menu.pause(), letterOf(menu)), 'S');
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

// The hint shows for 4 s of play from each start, then fades out over 1 s.
TEST(Overlay, TheHintFadesAfterFourSecondsOfPlayFromEachStart)
{
    Overlay overlay("Climb");
    for (const auto& [seconds, strength] : {std::pair{0.0, 1.0f}, {3.9, 1.0f}, {0.6, 0.5f}, {0.5, 0.0f}}) {
        overlay.play(seconds);
        EXPECT_NEAR(overlay.hintStrength(), strength, 1e-5f) << seconds;
    }
    overlay.restart();
    EXPECT_EQ(overlay.hintStrength(), 1.0f);
}
