#pragma once

#include <optional>

struct GLFWwindow;

// One frame's keys (and pointer) for the pictures. Enter, R, P and the click
// are presses since the last frame, Enter also held; the arrows and Tab are
// presses.
struct MenuKeys {
    bool enter = false, r = false, p = false, click = false, up = false, down = false, left = false, right = false,
         tab = false;
    std::optional<int> pointedLevel; // the welcome picture's level under the pointer
};

// Which picture is up, if any, and which level is chosen: the game starts on
// the welcome picture, where the player picks a level, plays, and ends a
// round on the win or the game-over picture; play may pause.
class MenuState {
public:
    enum class Screen { Welcome, Playing, Win, GameOver, Paused, Settings };

    Screen screen() const { return current; }
    // True while a picture is up instead of the game.
    bool showing() const { return current != Screen::Playing; }

    void startPlay() { current = Screen::Playing; }
    void showWelcome() { current = Screen::Welcome; }
    void showWin() { current = Screen::Win; }
    // A win found in the same frame keeps its picture.
    void showGameOver();
    // Play stops where it is behind the pause picture (only during play).
    void pause();

    // The welcome picture offers `count` levels, the first `open` of them to
    // play (at least one); the choice stays among those.
    void offerLevels(int count, int open);
    int levelCount() const { return count; }
    int openLevels() const { return open; }
    // The level chosen, from 0; choose keeps it among the open levels.
    int level() const { return chosen; }
    void choose(int level);

    // One frame's keys: on the welcome picture up and down (or the pointer)
    // choose among the open levels, Enter (or a click on one) plays it and
    // Tab leads to the settings picture, where Tab leads back;
    // on the win picture Enter plays the next open level (back to the
    // welcome picture after the last) and R leads back to the welcome
    // picture; on the game-over picture R plays again; P pauses play, and P
    // or a click plays on.
    void applyKeys(const MenuKeys& keys);
    // applyKeys with the keys as `window` has them (Enter and R left to the
    // game during play) and the level under the pointer; returns them.
    MenuKeys readKeys(GLFWwindow* window, std::optional<int> pointedLevel = std::nullopt);

private:
    Screen current = Screen::Welcome;
    int count = 1;
    int open = 1;
    int chosen = 0;
    std::optional<int> pointed; // the row under the pointer in the last frame
};
