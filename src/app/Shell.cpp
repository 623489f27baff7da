#include "app/Shell.h"

#include <GLFW/glfw3.h>

Shell::Shell(bool muted) : gameSounds(muted), frameCounter(glfwGetTime) {}

MenuKeys Shell::readMenuKeys(GLFWwindow* window, std::optional<int> pointedLevel)
{
    const MenuState::Screen before = menuState.screen();
    const MenuKeys keys = menuState.readKeys(window, pointedLevel);
    if (menuState.screen() != before)
        gameSounds.click();
    return keys;
}

void Shell::raisePicture(const PlayerContacts& contacts)
{
    const MenuState::Screen before = menuState.screen();
    if (contacts.win)
        menuState.showWin();
    if (contacts.gameOver)
        menuState.showGameOver();
    if (menuState.screen() == before)
        return;
    if (menuState.screen() == MenuState::Screen::Win)
        gameSounds.chime();
    else if (menuState.screen() == MenuState::Screen::GameOver)
        gameSounds.splash();
}

void Shell::showTitle(GLFWwindow* window, double frameTimeMs)
{
    frameCounter.update();
    glfwSetWindowTitle(
        window, windowTitle(frameCounter.fps(), frameTimeMs, switches.textureFilterName(), switches.mipmapFilterName())
                    .c_str());
}
