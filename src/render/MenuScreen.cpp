#include "render/MenuScreen.h"

#include "render/TextureUnits.h"

bool isFourByThree(int width, int height)
{
    return static_cast<float>(width) / static_cast<float>(height) == 4.0f / 3.0f;
}

MenuScreen::MenuScreen(gl::Program menuProgram, std::array<gl::Texture, pictureCount> menuPictures, bool fourByThree)
    : program(std::move(menuProgram)), pictures(std::move(menuPictures)), fourByThree(fourByThree), quad(program)
{
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "tex"), textureUnits::picture);
    glUseProgram(0);
}

void MenuScreen::draw(Picture picture) const
{
    const int index = static_cast<int>(picture) + (fourByThree ? pictureCount / 2 : 0);
    glUseProgram(program);
    glActiveTexture(textureUnits::glUnit(textureUnits::picture));
    glBindTexture(GL_TEXTURE_2D, pictures[index]);
    quad.draw();
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}
