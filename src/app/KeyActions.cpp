#include "app/KeyActions.h"

#include <algorithm>

#include "render/DebugLineRecorder.h"
#include "scene/Camera.h"
#include "scene/Light.h"

void applyKeyActions(const KeyActions& actions, DebugLineRecorder* debugLines, CameraList* cameras, Light* firstLight,
                     const Extent& lightBounds, int lightRepeats)
{
    if (actions.toggleDebugLines && debugLines) {
        if (debugLines->getDebugMode() == 1)
            debugLines->setDebugMode(0);
        else if (debugLines->getDebugMode() == 0)
            debugLines->setDebugMode(1);
    }
    if (firstLight) {
        for (int i = 0; i < lightRepeats; ++i)
            for (const LightStep& step : actions.lightSteps) {
                float& coordinate = firstLight->position[step.axis];
                coordinate = std::clamp(static_cast<float>(static_cast<double>(coordinate) + step.delta),
                                        lightBounds.low[step.axis], lightBounds.high[step.axis]);
            }
    }
    if (!cameras)
        return;
    if (actions.cameraStep > 0) {
        cameras->selectedIndex += 1;
        if (cameras->selectedIndex > cameras->count())
            cameras->selectedIndex = 0;
    } else if (actions.cameraStep < 0) {
        cameras->selectedIndex -= 1;
        if (cameras->selectedIndex < 0)
            cameras->selectedIndex = cameras->count();
    }
}
