#include "app/MenuState.h"
#include "app/Overlay.h"
#include "core/Tuning.h"
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
    // The choice stays among the open levels, by keys and by the pointer as it
    // comes onto a row;
    // after the last open level the win picture's Enter leads back to the list.
    MenuState menu;
    menu.offerLevels(6, 3);
    for (const auto& [pointed, click, down, expected] :
         {std::tuple{-1, false, 3, "W2"},
          {4, false, 0, "W2"},
          {0, false, 0, "W0"},
          {0, false, 2, "W2"}, // resting, the pointer leaves the arrows be
          {1, true, 0, "P1"}}) {
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

// A gamepad, plugged in and out, through the seam the keys use: the left
// stick holds the walking keys (as remapped), south jumps and is Enter,
// start pauses and plays on, the d-pad chooses, the right stick turns.
TEST(Gamepad, SticksAndButtonsActAsTheKeysTheyStandFor)
{
    FakeInput keys;
    input::setBackend(&keys);
    input::clearPresses();
    const input::WalkKeys walk{'E', 'A', 'S', 'D', ' '};
    auto frame = [&](double seconds = 0.1) { input::readGamepad(walk, seconds); };
    keys.pad.axes[input::PadState::LeftY] = -0.8f, keys.pad.axes[input::PadState::LeftX] = 0.3f;
    frame();
    EXPECT_FALSE(input::isPressed(nullptr, 'E')) << "nothing plugged in";
    keys.padIn = true;
    frame();
    EXPECT_EQ(std::make_tuple(input::isPressed(nullptr, 'E'), input::isPressed(nullptr, 'S'),
                              input::isPressed(nullptr, 'A'), input::isPressed(nullptr, 'D')),
              std::make_tuple(true, false, false, false));
    keys.pad.buttons[input::PadState::South] = 1;
    frame(), frame();
    EXPECT_TRUE(input::isPressed(nullptr, ' '));
    EXPECT_TRUE(input::takePress(GLFW_KEY_ENTER));
    EXPECT_TRUE(input::takePress(' '));
    EXPECT_FALSE(input::takePress(' ')) << "held, pressed once";
    MenuState menu = menuOn('P');
    for (const char expected : {'S', 'P'}) {
        keys.pad.buttons[input::PadState::Start] = 1, frame(), menu.readKeys(nullptr);
        keys.pad.buttons[input::PadState::Start] = 0, frame(), menu.readKeys(nullptr);
        EXPECT_EQ(letterOf(menu), expected);
    }
    keys.pad.buttons[input::PadState::South] = 0;
    menu.showWelcome(), menu.offerLevels(3, 3);
    keys.pad.buttons[input::PadState::DpadDown] = 1, frame(), menu.readKeys(nullptr);
    EXPECT_EQ(menu.level(), 1);
    keys.pad.buttons[input::PadState::Back] = 1, frame(), menu.readKeys(nullptr);
    EXPECT_EQ(menu.screen(), MenuState::Screen::Settings);
    keys.pad.axes[input::PadState::RightX] = 1.0f, keys.pad.axes[input::PadState::RightY] = 0.1f;
    frame(0.5);
    double x = 0.0, y = 0.0;
    input::takePadLook(x, y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(tuning::padTurnPixelsPerSecond * 0.5, 0.0)) << "no drift";
    keys.padIn = false;
    frame();
    EXPECT_FALSE(input::isPressed(nullptr, 'E')) << "unplugged";
    input::setBackend(nullptr);
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
