#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

// The frame time as the title shows it: fixed notation truncated (not
// rounded) to two decimals; 16.666667 gives "16.66".
std::string frameTimeText(double frameTimeMs);

// "Quarrystack, FPS: 60 Frametime: 16.66 ms Framesskipped: 0 TMQ: ... MMQ: ..."
std::string windowTitle(double fps, double frameTimeMs, const std::string& textureFilterName,
                        const std::string& mipmapFilterName);

// Frames per second, sampled at least one second apart: the frames of the
// first sample, then the mean of the last two, so that the title follows a
// change of rate within two seconds.
class FrameCounter {
public:
    using Clock = std::function<double()>; // seconds
    static constexpr int samplesAveraged = 2;

    explicit FrameCounter(Clock clock);

    // Counts one frame; takes a sample when a second has passed since the last.
    void update();
    double fps() const { return fps_; }

private:
    Clock clock_;
    int32_t frameCount_ = 0;
    int32_t currentMs_ = 0;
    int32_t lastSampleMs_ = 0;
    int32_t sampleCount_ = 0;
    std::array<double, samplesAveraged> fpsHistory_{};
    double fps_ = 0.0;
};
