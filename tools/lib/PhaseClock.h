#pragma once

#include "app/Game.h"

#include <chrono>
#include <ctime>

// How long the phases of one game frame took, in milliseconds, for the
// benchmark. The update issues no GL work; each GL phase is closed by
// glFinish, so it holds the work the driver did for it and nothing earlier.
// Each phase has its wall-clock time and the CPU time of the whole process
// in it (with a software rasteriser, its threads' work; on a shared machine
// the steadier of the two).
struct FrameTimings {
    struct Phase {
        double wallMs = 0.0;
        double cpuMs = 0.0;
    };
    Phase update;  // the reset, if one is due, and the game update: physics, keys, level
    Phase shadows; // the shadow maps
    Phase scene;   // the scene target and the scene pass
    Phase bloom;   // the bloom passes
};

// Lap times of the game's frames into `timings`, the record of the last game
// frame. Watch a game with Game::setPhaseObserver.
class PhaseClock final : public FramePhaseObserver {
public:
    explicit PhaseClock(FrameTimings& timings) : timings(timings) {}

    void phaseEnded(FramePhase phase) override;

private:
    FrameTimings& timings;
    std::chrono::steady_clock::time_point lastWall;
    std::clock_t lastCpu = 0;
};
