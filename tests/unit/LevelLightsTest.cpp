#include "scene/Level.h"
#include "scene/Light.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

std::unique_ptr<Level> emptyLevel(std::vector<Light*> lights = {})
{
    return std::make_unique<Level>(glm::mat4(1.0f), nullptr, std::vector<ImportObject*>{}, std::move(lights),
                                   std::vector<Material*>{}, nullptr);
}

} // namespace

TEST(LevelLights, AddLightNumbersUnitsFromTwoAfterTheFileLights)
{
    // Two lights from the level file (units 2 and 3 given by the import), then B and A.
    Light file0({0, 1, 0}, {1, 1, 1}, 1.0f), file1({0, 2, 0}, {1, 1, 1}, 1.0f);
    file0.unit = 2;
    file1.unit = 3;
    Light b({0, 54, 0}, {1, 1, 1}, 150.0f), a({4, 4, 4}, {1, 1, 1}, 2.0f);
    auto level = emptyLevel({&file0, &file1});
    level->addLight(&b);
    level->addLight(&a);
    EXPECT_EQ(b.unit, 4);
    EXPECT_EQ(a.unit, 5);
    EXPECT_EQ(level->getLightCount(), 4);
    const std::vector<Light*> lights = level->getLights();
    ASSERT_EQ(lights.size(), 4u);
    EXPECT_EQ(lights[2], &b);
    EXPECT_EQ(lights[3], &a);
    level->getLights().push_back(&a); // a copy
    EXPECT_EQ(level->getLightCount(), 4);
}

TEST(LevelLights, ShadowMapOfTheFirstLightOnTheUnit)
{
    Light a({0, 0, 0}, {1, 1, 1}, 1.0f), b({0, 0, 0}, {1, 1, 1}, 1.0f), c({0, 0, 0}, {1, 1, 1}, 1.0f);
    auto level = emptyLevel();
    level->addLight(&a);
    level->addLight(&b);
    level->addLight(&c);
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

    Light a({4, 4, 4}, {1, 1, 1}, 2.0f);
    level->addLight(&a);
    level->update(1.0 / 60.0);
    EXPECT_EQ(a.position, glm::vec3(4, 4, 4)) << "no player camera to follow";
}
