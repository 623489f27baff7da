#pragma once

#include "app/PictureText.h"
#include "app/StoredSettings.h"

#include <vector>

// The settings picture's rows, chosen with up and down and changed with left
// and right: mouse sensitivity, invert look, volume, full screen and the
// frame cap, each through a fixed ladder of values.
class SettingsMenu {
public:
    enum class Row { Sensitivity, InvertLook, Volume, FullScreen, FrameCap };
    static constexpr int rowCount = 5;

    Row row() const { return static_cast<Row>(chosen); }
    // Up (-1) or down (+1), staying on the first or the last row.
    void move(int step);
    // The chosen row's setting one step along its ladder (-1 left, +1
    // right), stopping at either end. True when it changed.
    bool change(StoredSettings& settings, int step) const;
    // The rows as the picture shows them, the chosen one marked.
    std::vector<TextLine> text(const StoredSettings& settings) const;

private:
    int chosen = 0;
};
