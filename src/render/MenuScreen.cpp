#include "render/MenuScreen.h"

#include "app/Input.h"
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

MenuScreen::MenuScreen(Texture* welcomeWide, Texture* gameOverWide, Texture* winWide, Texture* welcomeSquare,
                       Texture* gameOverSquare, Texture* winSquare, Shader* program, GLFWwindow* window)
    : welcomeWide(welcomeWide), gameOverWide(gameOverWide), winWide(winWide), welcomeSquare(welcomeSquare),
      gameOverSquare(gameOverSquare), winSquare(winSquare), program(program), quad(program->program),
      window(window)
{
}

void MenuScreen::checkMenuKeys()
{
    if (!showing)
        return;
    applyKeys(input::isPressed(window, GLFW_KEY_ENTER), input::isPressed(window, GLFW_KEY_R));
}

void MenuScreen::drawWelcome() { drawPicture(welcomeWide, welcomeSquare); }
void MenuScreen::drawGameOver() { drawPicture(gameOverWide, gameOverSquare); }
void MenuScreen::drawWin() { drawPicture(winWide, winSquare); }

void MenuScreen::drawPicture(Texture* wide, Texture* square)
{
    glUseProgram(program->program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, fourByThree ? square->id : wide->id);
    glUniform1i(glGetUniformLocation(program->program, "tex"), 0);
    quad.draw();
    glUseProgram(0);
}
