#include "lib/PhaseClock.h"

#include <GL/glew.h>

void PhaseClock::phaseEnded(FramePhase phase)
{
    FrameTimings::Phase* ended = nullptr;
    switch (phase) {
    case FramePhase::Clear:
        timings = FrameTimings{};
        break;
    case FramePhase::Update:
        ended = &timings.update;
        break;
    case FramePhase::Shadows:
        ended = &timings.shadows;
        break;
    case FramePhase::Scene:
        ended = &timings.scene;
        break;
    case FramePhase::Bloom:
        ended = &timings.bloom;
        break;
    }
    // GL phases wait for the driver first, and so does the frame's clear,
    // which belongs to no phase; the update issues no GL work.
    if (phase != FramePhase::Update)
        glFinish();
    const auto wall = std::chrono::steady_clock::now();
    const std::clock_t cpu = std::clock();
    if (ended) {
        ended->wallMs = std::chrono::duration<double, std::milli>(wall - lastWall).count();
        ended->cpuMs = 1000.0 * static_cast<double>(cpu - lastCpu) / CLOCKS_PER_SEC;
    }
    lastWall = wall;
    lastCpu = cpu;
}
