#pragma once

#include "render/FullScreenQuad.h"

#include <GL/glew.h>

class Shader;
class Texture;

// True when width / height as floats is exactly the float nearest 4/3.
bool isFourByThree(int width, int height);

// The welcome, win and game-over pictures in 16:9 and 4:3, drawn full screen.
// Which one is up is the game's business.
class MenuScreen {
public:
    MenuScreen(Texture* welcome16x9, Texture* gameOver16x9, Texture* win16x9, Texture* welcome4x3,
               Texture* gameOver4x3, Texture* win4x3, Shader* program);

    void drawWelcome();
    void drawGameOver();
    void drawWin();

    Texture* welcome16x9;
    Texture* gameOver16x9;
    Texture* win16x9;
    Texture* welcome4x3;
    Texture* gameOver4x3;
    Texture* win4x3;
    Shader* program;
    FullScreenQuad quad;
    GLint pictureLocation = -1; // "tex"
    bool fourByThree = false;

private:
    void drawPicture(Texture* picture16x9, Texture* picture4x3);
};
