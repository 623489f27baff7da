#include "app/SettingsMenu.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>

namespace {

const float sensitivities[] = {0.25f, 0.5f, 0.75f, 1.0f, 1.25f, 1.5f, 2.0f, 2.5f, 3.0f, 4.0f, 5.0f};
const int volumes[] = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
constexpr int noCap = 1000000; // "none" stands after the highest cap
const int frameCaps[] = {30, 60, 90, 120, 144, 240, noCap};

// The value one step from `value` along the ladder, from the rung nearest it.
template <typename T, size_t N> T stepAlong(const T (&ladder)[N], T value, int step)
{
    size_t nearest = 0;
    for (size_t i = 1; i < N; ++i)
        if (std::abs(double(ladder[i]) - double(value)) < std::abs(double(ladder[nearest]) - double(value)))
            nearest = i;
    const int rung = std::clamp(static_cast<int>(nearest) + step, 0, static_cast<int>(N) - 1);
    return ladder[rung];
}

} // namespace

void SettingsMenu::move(int step) { chosen = std::clamp(chosen + step, 0, rowCount - 1); }

bool SettingsMenu::change(StoredSettings& s, int step) const
{
    const auto shown = [](const StoredSettings& x) {
        return std::make_tuple(x.sensitivity, x.invertLook, x.volume, x.fullScreen, x.maxFps);
    };
    const auto before = shown(s);
    switch (row()) {
    case Row::Sensitivity:
        s.sensitivity = stepAlong(sensitivities, s.sensitivity, step);
        break;
    case Row::InvertLook:
        s.invertLook = step > 0;
        break;
    case Row::Volume:
        s.volume = stepAlong(volumes, s.volume, step);
        break;
    case Row::FullScreen:
        s.fullScreen = step > 0;
        break;
    case Row::FrameCap: {
        const int cap = stepAlong(frameCaps, s.maxFps == 0 ? noCap : s.maxFps, step);
        s.maxFps = cap == noCap ? 0 : cap;
        break;
    }
    }
    return shown(s) != before;
}

std::vector<TextLine> SettingsMenu::text(const StoredSettings& s) const
{
    char sensitivity[16], volume[16], cap[16];
    std::snprintf(sensitivity, sizeof sensitivity, "%.2f", static_cast<double>(s.sensitivity));
    std::snprintf(volume, sizeof volume, "%d %%", s.volume);
    std::snprintf(cap, sizeof cap, s.maxFps ? "%d a second" : "none", s.maxFps);
    const std::pair<const char*, std::string> rows[rowCount] = {{"Mouse sensitivity", sensitivity},
                                                                {"Invert look", s.invertLook ? "yes" : "no"},
                                                                {"Volume", volume},
                                                                {"Full screen", s.fullScreen ? "yes" : "no"},
                                                                {"Frame cap", cap}};
    std::vector<TextLine> lines;
    for (int i = 0; i < rowCount; ++i) {
        const bool isChosen = i == chosen;
        char line[96];
        std::snprintf(line, sizeof line, "%c %-18s %c %-12s %c", isChosen ? '>' : ' ', rows[i].first,
                      isChosen ? '<' : ' ', rows[i].second.c_str(), isChosen ? '>' : ' ');
        lines.push_back({line, 960.0f, 540.0f - 66.0f * static_cast<float>(i), 44.0f,
                         isChosen ? glm::vec4(1.0f, 0.78f, 0.35f, 1.0f) : glm::vec4(0.95f, 0.92f, 0.85f, 1.0f)});
    }
    return lines;
}
