#pragma once

#include "render/FullScreenQuad.h"
#include "render/GlObjects.h"

#include <array>

// True when width / height as floats is exactly the float nearest 4/3.
bool isFourByThree(int width, int height);

// The welcome, game-over, win, pause and settings pictures in 16:9 and 4:3, drawn full
// screen.
// Which one is up is the game's business.
class MenuScreen {
public:
    enum class Picture { Welcome, GameOver, Win, Pause, Settings };
    static constexpr int pictureCount = 10;

    // `pictures`: welcome, game over, win, pause and settings at 16:9, then the same at 4:3.
    // A screen of 4:3 shows the 4:3 ones.
    MenuScreen(gl::Program program, std::array<gl::Texture, pictureCount> pictures, bool fourByThree);

    void draw(Picture picture) const;
    void setFourByThree(bool square) { fourByThree = square; }

private:
    gl::Program program;
    std::array<gl::Texture, pictureCount> pictures;
    bool fourByThree;
    FullScreenQuad quad;
};
