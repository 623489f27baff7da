#pragma once

#include "core/Extent.h"

#include <vector>

class CameraList;
class DebugLineRecorder;
struct Light;

// One press of a light key: the first light moves by `delta` along `axis`
// (0 x, 1 y, 2 z).
struct LightStep {
    int axis = 0;
    double delta = 0.0;
};

// What one frame's keys ask of the game beyond the settings' own flags.
struct KeyActions {
    bool toggleDebugLines = false;
    int cameraStep = 0;                // +1 next camera, -1 previous; both in one frame cancel
    std::vector<LightStep> lightSteps; // in the order the keys were read
    bool reload = false;               // reset the level on the next game frame
    bool toggleMute = false;
    bool toggleFullScreen = false;
};

// Applies the debug-line, camera and light parts of `actions`; any target
// may be null, and its part is then skipped. The debug mode flips only
// between 0 and 1; the camera index wraps over count + 1 positions (0 is
// the player's camera, i the list's camera i - 1); the light steps, in their order, are applied
// `lightRepeats` times (once per physics sub-step of the frame), each added
// in double precision and stored back as float, and the light stays within
// `lightBounds`.
void applyKeyActions(const KeyActions& actions, DebugLineRecorder* debugLines, CameraList* cameras, Light* firstLight,
                     const Extent& lightBounds, int lightRepeats = 1);
