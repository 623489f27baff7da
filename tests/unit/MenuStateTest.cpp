#include "app/MenuState.h"
#include "app/Overlay.h"
#include "support/GlContext.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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

// One frame's keys, with six levels offered, three open, the second chosen:
// on the welcome picture up and down choose and Enter plays, on the win
// picture Enter plays the next level and R leads to the welcome picture,
// from game over R plays again, P pauses play, P or a click plays on;
// nothing else changes a picture. W welcome, V win, G game over, S paused,
// P playing (no picture), then the level chosen; E, R, P, C (a click), U and
// D (up and down) the keys pressed.
TEST(MenuState, OneFrameOfKeysAndAWinOverAGameOver)
{
    EXPECT_EQ(letterOf(MenuState{}), 'W');
    const char* rows[] = {"W...... W1", "W.R.... W1", "WE..... P1", "WER.... P1", "W..PC.. W1",
                          "W....U. W0", "W.....D W2", "WE...U. P0", "V...... V1", "VE..... P2",
                          "V.R.... W1", "V..PC.. V1", "G...... G1", "GE..... G1", "G.R.... P1",
                          "GER.... P1", "G..PC.. G1", "PE..... P1", "P.R.... P1", "P...CUD P1",
                          "P..P... S1", "S...... S1", "SER.... S1", "S..P... P1", "S...C.. P1"};
    for (const std::string row : rows) {
        MenuState menu = menuOn(row[0]);
        menu.offerLevels(6, 3);
        menu.choose(1);
        MenuKeys keys;
        keys.enter = row[1] == 'E', keys.r = row[2] == 'R', keys.p = row[3] == 'P', keys.click = row[4] == 'C';
        keys.up = row[5] == 'U', keys.down = row[6] == 'D';
        menu.applyKeys(keys);
        EXPECT_EQ(letterOf(menu) + std::to_string(menu.level()), row.substr(8)) << row;
    }
    // The choice stays among the open levels, by keys and by the pointer;
    // after the last open level the win picture's Enter leads back to the list.
    MenuState menu;
    menu.offerLevels(6, 3);
    for (const auto& [pointed, click, down, expected] :
         {std::tuple{-1, false, 3, "W2"}, {4, false, 0, "W2"}, {0, false, 0, "W0"}, {1, true, 0, "P1"}}) {
        MenuKeys keys;
        keys.pointedLevel = pointed < 0 ? std::nullopt : std::optional<int>(pointed);
        keys.click = click;
        for (int i = 0; i < std::max(1, down); ++i)
            keys.down = down > 0, menu.applyKeys(keys);
        EXPECT_EQ(letterOf(menu) + std::to_string(menu.level()), expected) << pointed;
    }
    MenuKeys enter;
    enter.enter = true;
    menu.choose(2), menu.showWin(), menu.applyKeys(enter);
    EXPECT_EQ(letterOf(menu) + std::to_string(menu.level()), "W2");
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
