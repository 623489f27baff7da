#pragma once

#include <LinearMath/btIDebugDraw.h>
#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

class Shader;

// One recorded physics debug line.
struct DebugLine {
    float from[3];
    float to[3];
    float color[3];
};

// Collects the lines the physics world emits during debugDrawWorld.
class DebugLineRecorder : public btIDebugDraw {
public:
    explicit DebugLineRecorder(Shader* lineProgram);
    ~DebugLineRecorder() override = default;

    // Keeps the two-colour form (which draws in the from colour) visible
    // beside the override below.
    using btIDebugDraw::drawLine;
    void drawLine(const btVector3& from, const btVector3& to, const btVector3& color) override;
    void drawContactPoint(const btVector3& point, const btVector3& normal, btScalar distance, int lifeTime,
                          const btVector3& color) override;
    void reportErrorWarning(const char* warning) override;
    void draw3dText(const btVector3& location, const char* text) override;
    void setDebugMode(int mode) override;
    int getDebugMode() const override;

    std::vector<DebugLine> lines; // since the last flush, in emission order
    int32_t debugMode = 0;
    Shader* lineProgram;
};

// Vertex data of the recorded lines, last line first, two vertices per line.
struct DebugLineVertices {
    std::vector<float> positions;
    std::vector<float> colors;
    std::vector<uint32_t> indices;
};
// Moves the lines out of `lines` (leaving it empty) into vertex arrays.
DebugLineVertices takeDebugLines(std::vector<DebugLine>& lines);

// Turns face culling off, then draws and forgets every recorded line with the
// line program and `modelViewProjection`. Creates no GL object when no line
// was recorded.
void flushDebugLines(DebugLineRecorder& drawer, const glm::mat4& modelViewProjection);
