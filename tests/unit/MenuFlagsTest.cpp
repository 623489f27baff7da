#include "app/MenuState.h"
#include "render/MenuScreen.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

using State = MenuState::Screen;

MenuState menuIn(State state)
{
    MenuState menu;
    switch (state) {
    case State::Welcome: menu.showWelcome(); break;
    case State::Playing: menu.startPlay(); break;
    case State::Win: menu.showWin(); break;
    case State::GameOver: menu.showGameOver(); break;
    }
    return menu;
}

void expectScreen(const MenuState& actual, State expected)
{
    EXPECT_EQ(actual.screen(), expected);
    EXPECT_EQ(actual.showing(), expected != State::Playing);
}

const char* nameOf(State s)
{
    switch (s) {
    case State::Welcome: return "Welcome";
    case State::Playing: return "Playing";
    case State::Win: return "Win";
    case State::GameOver: return "GameOver";
    }
    return "?";
}

} // namespace

TEST(MenuState, StartsOnTheWelcomePicture)
{
    expectScreen(MenuState{}, State::Welcome);
}

struct KeyCase {
    State from;
    bool enter;
    bool r;
    State to;
};

std::ostream& operator<<(std::ostream& out, const KeyCase& c)
{
    return out << nameOf(c.from) << (c.enter ? " +Enter" : "") << (c.r ? " +R" : "") << " -> " << nameOf(c.to);
}

class MenuKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(MenuKeys, OneFrame)
{
    const KeyCase& c = GetParam();
    MenuState menu = menuIn(c.from);
    menu.applyKeys(c.enter, c.r);
    expectScreen(menu, c.to);
}

INSTANTIATE_TEST_SUITE_P(Transitions, MenuKeys,
                         ::testing::Values(KeyCase{State::Welcome, false, false, State::Welcome},
                                           KeyCase{State::Welcome, false, true, State::Welcome},
                                           KeyCase{State::Welcome, true, false, State::Playing},
                                           KeyCase{State::Welcome, true, true, State::Playing},
                                           KeyCase{State::Win, false, false, State::Win},
                                           KeyCase{State::Win, true, false, State::Win},
                                           KeyCase{State::Win, false, true, State::Welcome},
                                           KeyCase{State::Win, true, true, State::Welcome},
                                           KeyCase{State::GameOver, false, false, State::GameOver},
                                           KeyCase{State::GameOver, true, false, State::GameOver},
                                           KeyCase{State::GameOver, false, true, State::Playing},
                                           KeyCase{State::GameOver, true, true, State::Playing},
                                           KeyCase{State::Playing, true, false, State::Playing},
                                           KeyCase{State::Playing, false, true, State::Playing},
                                           KeyCase{State::Playing, true, true, State::Playing}));

TEST(MenuState, WinThenRHeldThenEnterPlays)
{
    MenuState menu = menuIn(State::Win);
    menu.applyKeys(false, true);
    expectScreen(menu, State::Welcome);
    // R still held the next frame: the welcome picture stays.
    menu.applyKeys(false, true);
    expectScreen(menu, State::Welcome);
    menu.applyKeys(true, false);
    expectScreen(menu, State::Playing);
}

// Contacts of one frame raise at most one picture; were a win and a game over
// both found, the win picture stays up.
TEST(MenuState, AWinIsNotOverriddenByAGameOver)
{
    MenuState menu = menuIn(State::Playing);
    menu.showWin();
    menu.showGameOver();
    expectScreen(menu, State::Win);
}

struct ScreenCase {
    int width, height;
    bool fourByThree;
};

class PictureVariant : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(PictureVariant, OnlyExactFourByThreeUsesTheSquarePictures)
{
    const ScreenCase& c = GetParam();
    EXPECT_EQ(isFourByThree(c.width, c.height), c.fourByThree) << c.width << " x " << c.height;
}

INSTANTIATE_TEST_SUITE_P(Screens, PictureVariant,
                         ::testing::Values(ScreenCase{1024, 768, true}, ScreenCase{1600, 1200, true},
                                           ScreenCase{800, 600, true}, ScreenCase{1920, 1080, false},
                                           ScreenCase{1280, 1024, false}, ScreenCase{1680, 1050, false},
                                           ScreenCase{1366, 768, false}, ScreenCase{640, 360, false}));
