#include "render/DebugLineRecorder.h"
#include "scene/Level.h"
#include "scene/Light.h"

#include <gtest/gtest.h>

#include <vector>

// The game's own lights follow the file's: their shadow maps take the next
// texture units. A unit's map is that of the first light on it, -1 if none.
TEST(LevelLights, AddedLightsTakeTheNextUnitsAndLendTheirShadowMaps)
{
    LevelAssets assets;
    assets.lights.push_back(std::make_unique<Light>(glm::vec3(0, 1, 0), glm::vec3(1), 1.0f));
    Light& file = *assets.lights.back();
    Level level(nullptr, std::move(assets));
    Light& b = *level.addLight(std::make_unique<Light>(glm::vec3(0, 54, 0), glm::vec3(1), 150.0f));
    Light& a = *level.addLight(std::make_unique<Light>(glm::vec3(4, 4, 4), glm::vec3(1), 2.0f));
    EXPECT_EQ(file.unit, 2);
    EXPECT_EQ(b.unit, 3);
    EXPECT_EQ(a.unit, 4);
    EXPECT_EQ(level.getLights(), (std::vector<Light*>{&file, &b, &a}));
    file.depthMap = 11;
    a.depthMap = 33;
    b.unit = 2; // a second light on a unit does not take it over
    b.depthMap = 22;
    EXPECT_EQ(level.getShadowMap(2), 11);
    EXPECT_EQ(level.getShadowMap(4), 33);
    EXPECT_EQ(level.getShadowMap(5), -1);
}

// Debug lines go to the GPU last line first, each end in the line's colour.
TEST(DebugLineRecorder, TakesTheRecordedLinesLastFirst)
{
    DebugLineRecorder drawer(nullptr);
    drawer.drawLine(btVector3(1, 2, 3), btVector3(4, 5, 6), btVector3(0.1f, 0.2f, 0.3f));
    drawer.drawLine(btVector3(7, 8, 9), btVector3(10, 11, 12), btVector3(0.4f, 0.5f, 0.6f));
    drawer.drawContactPoint(btVector3(1, 2, 3), btVector3(0, 1, 0), 0.5f, 10, btVector3(1, 1, 1));
    const DebugLineVertices vertices = takeDebugLines(drawer.lines);
    EXPECT_TRUE(drawer.lines.empty());
    EXPECT_EQ(vertices.positions, (std::vector<float>{7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(vertices.colors,
              (std::vector<float>{0.4f, 0.5f, 0.6f, 0.4f, 0.5f, 0.6f, 0.1f, 0.2f, 0.3f, 0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(vertices.indices, (std::vector<uint32_t>{0, 1, 2, 3}));
}
