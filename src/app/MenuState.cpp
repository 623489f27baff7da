#include "app/MenuState.h"

#include "core/Input.h"

#include <GLFW/glfw3.h>

void MenuState::showGameOver()
{
    if (current != Screen::Win)
        current = Screen::GameOver;
}

void MenuState::pause()
{
    if (current == Screen::Playing)
        current = Screen::Paused;
}

void MenuState::applyKeys(bool enterPressed, bool rPressed, bool pPressed, bool clicked)
{
    switch (current) {
    case Screen::Welcome:
        if (enterPressed)
            startPlay();
        break;
    // Only Enter leaves the welcome picture, so an R held on from here does
    // not skip it next frame.
    case Screen::Win:
        if (rPressed)
            showWelcome();
        break;
    case Screen::GameOver:
        if (rPressed)
            startPlay();
        break;
    case Screen::Playing:
        if (pPressed)
            pause();
        break;
    case Screen::Paused:
        if (pPressed || clicked)
            startPlay();
        break;
    }
}

void MenuState::readKeys(GLFWwindow* window)
{
    // A tap between two frames counts as much as a key held down.
    auto pressed = [window](int key) { return input::takePress(key) || input::isPressed(window, key); };
    const bool pPressed = input::takePress(GLFW_KEY_P), clicked = input::takePress(input::leftClick);
    applyKeys(showing() && pressed(GLFW_KEY_ENTER), showing() && pressed(GLFW_KEY_R), pPressed, clicked);
}
