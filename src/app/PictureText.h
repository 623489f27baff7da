#pragma once

#include <glm/glm.hpp>

#include <optional>
#include <string>
#include <vector>

class MenuState;

// What the game writes over its pictures and over play, laid out in the text
// overlay's units (1920 × 1080 from the bottom left, whatever the screen).
struct TextLine {
    std::string text;
    float centreX = 960.0f;
    float bottom = 0.0f;
    float size = 48.0f;
    glm::vec4 colour{1.0f};
};

// A level as the welcome picture lists it.
struct LevelEntry {
    std::string title;
    std::optional<double> bestSeconds;
};

// The welcome picture's list of levels in the left column of its panel, one
// row each: number, title and best time, the chosen one marked and those not
// yet open dimmed. `fourByThree`: the 4:3 picture, whose panel is wider.
std::vector<TextLine> levelListText(const std::vector<LevelEntry>& levels, const MenuState& menu, bool fourByThree);
// The row of that list under a point in overlay units, if any.
std::optional<int> levelListRowAt(glm::vec2 units, int levelCount, bool fourByThree);

// The win picture's lines around its panel: the level and the run's time,
// how it stands against the best before it, and the next level (empty: none;
// `lastOfChain`: the chain is done).
std::vector<TextLine> winText(const std::string& title, double seconds, std::optional<double> previousBest,
                              const std::string& nextTitle, bool lastOfChain);
// The pause and game-over pictures' line under their panel: the level played
// ("Level 3 of 6: The trench", or the title alone for a level outside the chain).
TextLine levelLine(const std::string& title, std::optional<int> index, int count);
