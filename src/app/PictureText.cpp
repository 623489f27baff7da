#include "app/PictureText.h"

#include "app/MenuState.h"
#include "app/Progress.h"

#include <cmath>
#include <cstdio>

namespace {

// The list's rows, as the welcome picture leaves room for them.
constexpr float firstRowBottom = 452.0f, rowHeight = 54.0f, rowSize = 38.0f;
// The left column of the panel, in overlay units, on each shape of picture.
struct Column {
    float left, right;
};
Column listColumn(bool fourByThree) { return fourByThree ? Column{128.0f, 916.0f} : Column{291.0f, 927.0f}; }

const glm::vec4 chosenColour(1.0f, 0.78f, 0.35f, 1.0f), openColour(0.95f, 0.92f, 0.85f, 1.0f),
    lockedColour(0.6f, 0.57f, 0.52f, 0.8f), lineColour(1.0f, 0.95f, 0.86f, 1.0f);

} // namespace

std::vector<TextLine> levelListText(const std::vector<LevelEntry>& levels, const MenuState& menu, bool fourByThree)
{
    const Column column = listColumn(fourByThree);
    std::vector<TextLine> lines;
    for (int i = 0; i < static_cast<int>(levels.size()); ++i) {
        const LevelEntry& level = levels[static_cast<size_t>(i)];
        const bool open = i < menu.openLevels(), chosen = i == menu.level();
        const std::string time = open && level.bestSeconds ? runTimeText(*level.bestSeconds) : "";
        char row[96];
        std::snprintf(row, sizeof row, "%c %d  %-17.17s %7s", chosen ? '>' : ' ', i + 1,
                      open ? level.title.c_str() : "- locked -", time.c_str());
        lines.push_back({row, (column.left + column.right) * 0.5f, firstRowBottom - rowHeight * static_cast<float>(i),
                         rowSize, chosen ? chosenColour : (open ? openColour : lockedColour)});
    }
    return lines;
}

std::optional<int> levelListRowAt(glm::vec2 units, int levelCount, bool fourByThree)
{
    const Column column = listColumn(fourByThree);
    if (units.x < column.left || units.x > column.right)
        return std::nullopt;
    const float fromTop = firstRowBottom + rowHeight - units.y; // from the first row's top
    const int row = static_cast<int>(std::floor(fromTop / rowHeight));
    return fromTop >= 0.0f && row < levelCount ? std::optional<int>(row) : std::nullopt;
}

std::vector<TextLine> winText(const std::string& title, double seconds, std::optional<double> previousBest,
                              const std::string& nextTitle, bool lastOfChain)
{
    std::vector<TextLine> lines;
    lines.push_back({title + " in " + runTimeText(seconds), 960.0f, 700.0f, 48.0f, lineColour});
    const std::string record = !previousBest ? "Your first win here"
                               : seconds < *previousBest
                                   ? "A new best time! (it was " + runTimeText(*previousBest) + ")"
                                   : "Best time " + runTimeText(*previousBest);
    lines.push_back({record, 960.0f, 640.0f, 40.0f, chosenColour});
    if (!nextTitle.empty() || lastOfChain)
        lines.push_back({nextTitle.empty() ? "That was the last level. Well done!" : "Next: " + nextTitle, 960.0f,
                         320.0f, 40.0f, openColour});
    return lines;
}

TextLine levelLine(const std::string& title, std::optional<int> index, int count)
{
    const std::string text =
        index ? "Level " + std::to_string(*index + 1) + " of " + std::to_string(count) + ": " + title : title;
    return {text, 960.0f, 300.0f, 40.0f, openColour};
}
