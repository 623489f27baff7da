#include "render/MenuScreen.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

enum class State { Welcome, Playing, Win, GameOver };

MenuFlags flagsOf(State state)
{
    MenuFlags flags;
    flags.showing = state != State::Playing;
    flags.welcome = state == State::Welcome;
    flags.win = state == State::Win;
    flags.gameOver = state == State::GameOver;
    return flags;
}

void expectFlags(const MenuFlags& actual, State expected)
{
    const MenuFlags wanted = flagsOf(expected);
    EXPECT_EQ(actual.showing, wanted.showing);
    EXPECT_EQ(actual.welcome, wanted.welcome);
    EXPECT_EQ(actual.win, wanted.win);
    EXPECT_EQ(actual.gameOver, wanted.gameOver);
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

TEST(MenuFlags, StartsOnTheWelcomePicture)
{
    expectFlags(MenuFlags{}, State::Welcome);
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
    MenuFlags flags = flagsOf(c.from);
    flags.applyKeys(c.enter, c.r);
    expectFlags(flags, c.to);
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

TEST(MenuFlags, WinThenRHeldThenEnterPlays)
{
    MenuFlags flags = flagsOf(State::Win);
    flags.applyKeys(false, true);
    expectFlags(flags, State::Welcome);
    // R still held the next frame: the welcome picture stays.
    flags.applyKeys(false, true);
    expectFlags(flags, State::Welcome);
    flags.applyKeys(true, false);
    expectFlags(flags, State::Playing);
}

TEST(MenuFlags, HiddenMenuIgnoresKeysWhateverItsFlags)
{
    MenuFlags flags;
    flags.showing = false;
    flags.welcome = false;
    flags.win = true;
    flags.applyKeys(true, true);
    EXPECT_FALSE(flags.showing);
    EXPECT_TRUE(flags.win);
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
