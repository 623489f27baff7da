#pragma once

#include "render/FullScreenQuad.h"

struct GLFWwindow;
class Shader;
class Texture;

// Which menu picture is up. Pure state so the transitions test without a window.
struct MenuFlags {
    bool showing = true;
    bool welcome = true;
    bool gameOver = false;
    bool win = false;

    // One frame's menu keys: Enter leaves the welcome picture, R leads from the
    // win picture back to the welcome picture and from the game-over picture
    // straight into play.
    void applyKeys(bool enterPressed, bool rPressed);
};

// True when width / height as floats is exactly the float nearest 4/3.
bool isFourByThree(int width, int height);

// The welcome, win and game-over pictures in 16:9 and 4:3, drawn full screen.
class MenuScreen : public MenuFlags {
public:
    MenuScreen(Texture* welcome16x9, Texture* gameOver16x9, Texture* win16x9, Texture* welcome4x3,
               Texture* gameOver4x3, Texture* win4x3, Shader* program, GLFWwindow* window);

    void checkMenuKeys();
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
    GLFWwindow* window;
    bool fourByThree = false;

private:
    void drawPicture(Texture* picture16x9, Texture* picture4x3);
};
