#include "app/World.h"
#include "scene/Level.h"
#include "scene/Light.h"

#include <gtest/gtest.h>

#include <vector>

// The game's own lights follow the file's, the one over the quarry before the
// lamp: their shadow maps take the next texture units.
TEST(LevelLights, BuiltInLightsFollowTheFilesAndTakeTheNextUnits)
{
    LevelAssets assets;
    assets.lights.push_back(std::make_unique<Light>(glm::vec3(0, 1, 0), glm::vec3(1), 1.0f));
    Level level(std::move(assets));
    World::addBuiltInLights(level);
    const std::vector<Light*> lights = level.getLights();
    ASSERT_EQ(lights.size(), 3u);
    EXPECT_EQ(lights[0]->position, glm::vec3(0, 1, 0));
    EXPECT_EQ(lights[1]->position, glm::vec3(0, 54, 0));
    EXPECT_EQ(lights[1]->power, 150.0f);
    EXPECT_EQ(lights[2]->position, glm::vec3(4, 4, 4));
    EXPECT_EQ(lights[2]->power, 2.0f);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(lights[i]->unit, 2 + i);
        EXPECT_EQ(level.litLights()[i].unit, 2 + i);
    }
}
