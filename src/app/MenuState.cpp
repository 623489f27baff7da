#include "app/MenuState.h"

#include "core/Input.h"

#include <GLFW/glfw3.h>

#include <algorithm>

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

void MenuState::offerLevels(int levels, int openToPlay)
{
    count = std::max(1, levels);
    open = std::clamp(openToPlay, 1, count);
    choose(chosen);
}

void MenuState::choose(int level) { chosen = std::clamp(level, 0, open - 1); }

void MenuState::applyKeys(const MenuKeys& keys)
{
    switch (current) {
    case Screen::Welcome: {
        // The pointer chooses as it comes onto a row; resting there it leaves the arrows be.
        const bool onOpenRow = keys.pointedLevel && *keys.pointedLevel < open;
        if (onOpenRow && (keys.click || keys.pointedLevel != pointed))
            choose(*keys.pointedLevel);
        pointed = keys.pointedLevel;
        choose(chosen + int(keys.down) - int(keys.up));
        if (keys.enter || (keys.click && onOpenRow))
            startPlay();
        else if (keys.tab)
            current = Screen::Settings;
        break;
    }
    case Screen::Settings:
        if (keys.tab)
            showWelcome();
        break;
    // Only Enter leaves the welcome picture, so an R held on from here does
    // not skip it next frame.
    case Screen::Win:
        if (keys.enter && chosen + 1 < open)
            choose(chosen + 1), startPlay();
        else if (keys.enter || keys.r)
            showWelcome();
        break;
    case Screen::GameOver:
        if (keys.r)
            startPlay();
        break;
    case Screen::Playing:
        if (keys.p)
            pause();
        break;
    case Screen::Paused:
        if (keys.p || keys.click)
            startPlay();
        break;
    }
}

MenuKeys MenuState::readKeys(GLFWwindow* window, std::optional<int> pointedLevel)
{
    // A tap between two frames counts as much as a key held down; but an
    // Enter held from the welcome picture through a whole level does not
    // skip the win picture.
    auto pressed = [window](int key) { return input::takePress(key) || input::isPressed(window, key); };
    MenuKeys keys;
    keys.p = input::takePress(GLFW_KEY_P);
    keys.click = input::takePress(input::leftClick);
    keys.up = input::takePress(GLFW_KEY_UP);
    keys.down = input::takePress(GLFW_KEY_DOWN);
    keys.left = input::takePress(GLFW_KEY_LEFT);
    keys.right = input::takePress(GLFW_KEY_RIGHT);
    keys.tab = input::takePress(GLFW_KEY_TAB);
    if (showing()) {
        keys.enter = current == Screen::Win ? input::takePress(GLFW_KEY_ENTER) : pressed(GLFW_KEY_ENTER);
        keys.r = pressed(GLFW_KEY_R);
        keys.pointedLevel = pointedLevel;
    }
    applyKeys(keys);
    return keys;
}
