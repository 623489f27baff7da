#include "render/MenuScreen.h"

#include "render/Shader.h"
#include "render/Texture.h"

bool isFourByThree(int width, int height)
{
    return static_cast<float>(width) / static_cast<float>(height) == 4.0f / 3.0f;
}

MenuScreen::MenuScreen(Texture* welcome16x9, Texture* gameOver16x9, Texture* win16x9, Texture* welcome4x3,
                       Texture* gameOver4x3, Texture* win4x3, Shader* program)
    : welcome16x9(welcome16x9), gameOver16x9(gameOver16x9), win16x9(win16x9), welcome4x3(welcome4x3),
      gameOver4x3(gameOver4x3), win4x3(win4x3), program(program), quad(program->program),
      pictureLocation(glGetUniformLocation(program->program, "tex"))
{
}

void MenuScreen::drawWelcome() { drawPicture(welcome16x9, welcome4x3); }
void MenuScreen::drawGameOver() { drawPicture(gameOver16x9, gameOver4x3); }
void MenuScreen::drawWin() { drawPicture(win16x9, win4x3); }

void MenuScreen::drawPicture(Texture* picture16x9, Texture* picture4x3)
{
    glUseProgram(program->program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, fourByThree ? picture4x3->id : picture16x9->id);
    glUniform1i(pictureLocation, 0);
    quad.draw();
    glUseProgram(0);
}
