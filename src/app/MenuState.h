#pragma once

struct GLFWwindow;

// Which picture is up, if any: the game starts on the welcome picture, plays,
// and ends a round on the win or the game-over picture.
class MenuState {
public:
    enum class Screen { Welcome, Playing, Win, GameOver };

    Screen screen() const { return current; }
    // True while a picture is up instead of the game.
    bool showing() const { return current != Screen::Playing; }

    void startPlay() { current = Screen::Playing; }
    void showWelcome() { current = Screen::Welcome; }
    void showWin() { current = Screen::Win; }
    // A win found in the same frame keeps its picture.
    void showGameOver();

    // One frame's menu keys: Enter leaves the welcome picture, R leads from the
    // win picture back to the welcome picture and from the game-over picture
    // straight into play. Ignored during play.
    void applyKeys(bool enterPressed, bool rPressed);
    // applyKeys with Enter and R as `window` has them; reads no key during play.
    void readKeys(GLFWwindow* window);

private:
    Screen current = Screen::Welcome;
};
