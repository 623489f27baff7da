#include "app/KeyActions.h"

#include "render/DebugLineRecorder.h"
#include "scene/Camera.h"
#include "scene/Light.h"

void applyKeyActions(const KeyActions& actions, DebugLineRecorder* debugLines, CameraList* cameras, Light* firstLight,
                     int lightRepeats)
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
                coordinate = static_cast<float>(static_cast<double>(coordinate) + step.delta);
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
