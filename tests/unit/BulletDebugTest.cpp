#include "render/DebugLineRecorder.h"

#include <gtest/gtest.h>

namespace {

void expectLine(const DebugLine& line, const btVector3& from, const btVector3& to, const btVector3& color)
{
    EXPECT_FLOAT_EQ(line.from[0], from.x());
    EXPECT_FLOAT_EQ(line.from[1], from.y());
    EXPECT_FLOAT_EQ(line.from[2], from.z());
    EXPECT_FLOAT_EQ(line.to[0], to.x());
    EXPECT_FLOAT_EQ(line.to[1], to.y());
    EXPECT_FLOAT_EQ(line.to[2], to.z());
    EXPECT_FLOAT_EQ(line.color[0], color.x());
    EXPECT_FLOAT_EQ(line.color[1], color.y());
    EXPECT_FLOAT_EQ(line.color[2], color.z());
}

} // namespace

TEST(DebugLineRecorder, StartsWithModeZeroAndNoLines)
{
    DebugLineRecorder drawer(nullptr);
    EXPECT_EQ(drawer.getDebugMode(), 0);
    EXPECT_TRUE(drawer.lines.empty());
    drawer.setDebugMode(btIDebugDraw::DBG_DrawWireframe);
    EXPECT_EQ(drawer.getDebugMode(), 1);
    drawer.setDebugMode(0x7);
    EXPECT_EQ(drawer.getDebugMode(), 0x7);
}

TEST(DebugLineRecorder, RecordsLinesInEmissionOrder)
{
    DebugLineRecorder drawer(nullptr);
    drawer.drawLine(btVector3(1, 2, 3), btVector3(4, 5, 6), btVector3(0.1f, 0.2f, 0.3f));
    drawer.drawLine(btVector3(-1, -2, -3), btVector3(7, 8, 9), btVector3(1, 0, 0));
    ASSERT_EQ(drawer.lines.size(), 2u);
    expectLine(drawer.lines[0], btVector3(1, 2, 3), btVector3(4, 5, 6), btVector3(0.1f, 0.2f, 0.3f));
    expectLine(drawer.lines[1], btVector3(-1, -2, -3), btVector3(7, 8, 9), btVector3(1, 0, 0));
}

TEST(DebugLineRecorder, ContactPointsWarningsAndTextsRecordNothingInAnyMode)
{
    for (int mode : {0, 1, -1}) {
        DebugLineRecorder drawer(nullptr);
        drawer.setDebugMode(mode);
        drawer.drawContactPoint(btVector3(1, 2, 3), btVector3(0, 1, 0), 0.5f, 10, btVector3(1, 1, 1));
        drawer.reportErrorWarning("warning");
        drawer.draw3dText(btVector3(0, 0, 0), "text");
        EXPECT_TRUE(drawer.lines.empty()) << "mode " << mode;
        EXPECT_EQ(drawer.getDebugMode(), mode);
    }
}

TEST(TakeDebugLines, LastLineFirstWithColoursPerEnd)
{
    std::vector<DebugLine> lines = {
        {{1, 2, 3}, {4, 5, 6}, {0.1f, 0.2f, 0.3f}},
        {{7, 8, 9}, {10, 11, 12}, {0.4f, 0.5f, 0.6f}},
        {{13, 14, 15}, {16, 17, 18}, {0.7f, 0.8f, 0.9f}},
    };
    const DebugLineVertices vertices = takeDebugLines(lines);
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(vertices.positions,
              (std::vector<float>{13, 14, 15, 16, 17, 18, 7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(vertices.colors, (std::vector<float>{0.7f, 0.8f, 0.9f, 0.7f, 0.8f, 0.9f, 0.4f, 0.5f, 0.6f, 0.4f,
                                                   0.5f, 0.6f, 0.1f, 0.2f, 0.3f, 0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(vertices.indices, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(takeDebugLines(lines).indices.empty());
}
