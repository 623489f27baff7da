#include "render/MenuScreen.h"

#include "core/Input.h"
#include "render/Shader.h"
#include "render/Texture.h"

#include <GLFW/glfw3.h>

void MenuFlags::applyKeys(bool enterPressed, bool rPressed)
{
    if (!showing)
        return;
    if (welcome && enterPressed) {
        showing = false;
        welcome = false;
        return;
    }
    // Only Enter leaves the welcome picture, so an R held on from here does
    // not skip it next frame.
    if (win && rPressed) {
        welcome = true;
        win = false;
        return;
    }
    if (gameOver && rPressed) {
        showing = false;
        welcome = false;
        gameOver = false;
    }
}

bool isFourByThree(int width, int height)
{
    return static_cast<float>(width) / static_cast<float>(height) == 4.0f / 3.0f;
}

MenuScreen::MenuScreen(Texture* welcome16x9, Texture* gameOver16x9, Texture* win16x9, Texture* welcome4x3,
                       Texture* gameOver4x3, Texture* win4x3, Shader* program, GLFWwindow* window)
    : welcome16x9(welcome16x9), gameOver16x9(gameOver16x9), win16x9(win16x9), welcome4x3(welcome4x3),
      gameOver4x3(gameOver4x3), win4x3(win4x3), program(program), quad(program->program),
      window(window)
{
}

void MenuScreen::checkMenuKeys()
{
    if (!showing)
        return;
    applyKeys(input::isPressed(window, GLFW_KEY_ENTER), input::isPressed(window, GLFW_KEY_R));
}

void MenuScreen::drawWelcome() { drawPicture(welcome16x9, welcome4x3); }
void MenuScreen::drawGameOver() { drawPicture(gameOver16x9, gameOver4x3); }
void MenuScreen::drawWin() { drawPicture(win16x9, win4x3); }

void MenuScreen::drawPicture(Texture* picture16x9, Texture* picture4x3)
{
    glUseProgram(program->program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, fourByThree ? picture4x3->id : picture16x9->id);
    glUniform1i(glGetUniformLocation(program->program, "tex"), 0);
    quad.draw();
    glUseProgram(0);
}
