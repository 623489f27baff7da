#include "scene/Level.h"
#include "scene/Light.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

std::unique_ptr<Light> light(const glm::vec3& position, float power = 1.0f)
{
    return std::make_unique<Light>(position, glm::vec3(1.0f), power);
}

// A level without objects or GL: only its lights.
std::unique_ptr<Level> emptyLevel(std::vector<std::unique_ptr<Light>> lights = {})
{
    LevelAssets assets;
    assets.lights = std::move(lights);
    return std::make_unique<Level>(nullptr, std::move(assets));
}

} // namespace

TEST(LevelLights, AddLightNumbersUnitsFromTwoAfterTheFileLights)
{
    // Two lights from the level file, then B and A.
    std::vector<std::unique_ptr<Light>> fileLights;
    fileLights.push_back(light({0, 1, 0}));
    fileLights.push_back(light({0, 2, 0}));
    auto level = emptyLevel(std::move(fileLights));
    Light* b = level->addLight(light({0, 54, 0}, 150.0f));
    Light* a = level->addLight(light({4, 4, 4}, 2.0f));
    const std::vector<Light*> lights = level->getLights();
    ASSERT_EQ(lights.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(lights[i]->unit, i + 2);
    EXPECT_EQ(lights[2], b);
    EXPECT_EQ(lights[3], a);
    EXPECT_EQ(lights[0]->position, glm::vec3(0, 1, 0));
}

TEST(LevelLights, ShadowMapOfTheFirstLightOnTheUnit)
{
    auto level = emptyLevel();
    Light& a = *level->addLight(light({0, 0, 0}));
    Light& b = *level->addLight(light({0, 0, 0}));
    Light& c = *level->addLight(light({0, 0, 0}));
    a.depthMap = 11;
    c.depthMap = 33;
    EXPECT_EQ(level->getShadowMap(2), 11);
    EXPECT_EQ(level->getShadowMap(3), -1) << "a light without a rendered map";
    EXPECT_EQ(level->getShadowMap(4), 33);
    EXPECT_EQ(level->getShadowMap(5), -1) << "no light on this unit";
    EXPECT_EQ(level->getShadowMap(-1), -1);
    // Two lights claiming one unit: the first in the list wins.
    b.unit = 2;
    b.depthMap = 22;
    EXPECT_EQ(level->getShadowMap(2), 11);
}

TEST(LevelLights, UpdateWithoutLightsOrPlayerChangesNothing)
{
    auto level = emptyLevel();
    level->update(1.0 / 60.0);
    EXPECT_EQ(level->getLightCount(), 0);

    const Light* a = level->addLight(light({4, 4, 4}, 2.0f));
    level->update(1.0 / 60.0);
    EXPECT_EQ(a->position, glm::vec3(4, 4, 4)) << "no player camera to follow";
}
