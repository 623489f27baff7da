#include "app/FrameCounter.h"

#include <cmath>
#include <cstdio>
#include <numeric>
#include <utility>

std::string frameTimeText(double frameTimeMs)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%f", frameTimeMs);
    std::string text = buffer;
    const auto dot = text.find('.');
    if (dot != std::string::npos && dot + 3 <= text.size())
        text.erase(dot + 3);
    return text;
}

std::string windowTitle(double fps, double frameTimeMs, const std::string& textureFilterName,
                        const std::string& mipmapFilterName)
{
    const int framesSkipped = 0; // the loop never skips frames
    return "Quarrystack, FPS: " + std::to_string(static_cast<long long>(std::floor(fps))) +
           " Frametime: " + frameTimeText(frameTimeMs) + " ms" + " Framesskipped: " + std::to_string(framesSkipped) +
           " TMQ: " + textureFilterName + " MMQ: " + mipmapFilterName;
}

namespace {
int32_t wholeMilliseconds(double seconds) { return static_cast<int32_t>(seconds * 1000.0); }
} // namespace

FrameCounter::FrameCounter(Clock clock) : clock_(std::move(clock)) {}

void FrameCounter::update()
{
    ++frameCount_;
    currentMs_ = wholeMilliseconds(clock_());
    if (currentMs_ < lastSampleMs_ + 1000)
        return;

    fpsHistory_[static_cast<size_t>(sampleCount_ % samplesAveraged)] = frameCount_;
    ++sampleCount_;
    if (sampleCount_ >= samplesAveraged)
        fps_ = std::accumulate(fpsHistory_.begin(), fpsHistory_.end(), 0.0) / samplesAveraged;
    else
        fps_ = frameCount_;
    frameCount_ = 0;
    currentMs_ = lastSampleMs_ = wholeMilliseconds(clock_());
}
