#pragma once

struct GLFWwindow;

// Which picture is up, if any: the game starts on the welcome picture, plays,
// and ends a round on the win or the game-over picture; play may pause.
class MenuState {
public:
    enum class Screen { Welcome, Playing, Win, GameOver, Paused };

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

    // One frame's menu keys: Enter leaves the welcome picture, R leads from the
    // win picture back to the welcome picture and from the game-over picture
    // straight into play; P pauses play, and P or a click plays on.
    void applyKeys(bool enterPressed, bool rPressed, bool pPressed = false, bool clicked = false);
    // applyKeys with the keys as `window` has them: Enter and R held or tapped
    // (left to the game during play), P and the click as pressed since the
    // last frame.
    void readKeys(GLFWwindow* window);

private:
    Screen current = Screen::Welcome;
};
