#pragma once

#include "render/GlObjects.h"

#include <LinearMath/btIDebugDraw.h>
#include <glm/glm.hpp>

#include <vector>

// One recorded physics debug line.
struct DebugLine {
    float from[3];
    float to[3];
    float color[3];
};

// Collects the lines the physics world emits while it draws itself, and
// draws them with the line program.
class DebugLineRecorder : public btIDebugDraw {
public:
    // A recorder without a program (0) records and flips its mode but draws nothing.
    explicit DebugLineRecorder(gl::Program lineProgram);
    ~DebugLineRecorder() override = default;

    // Keeps the two-colour form (which draws in the from colour) visible
    // beside the override below.
    using btIDebugDraw::drawLine;
    void drawLine(const btVector3& from, const btVector3& to, const btVector3& color) override;
    void drawContactPoint(const btVector3& point, const btVector3& normal, btScalar distance, int lifeTime,
                          const btVector3& color) override;
    void reportErrorWarning(const char* warning) override;
    void draw3dText(const btVector3& location, const char* text) override;
    // 0 draws nothing, 1 the bodies' wireframes.
    void setDebugMode(int mode) override;
    int getDebugMode() const override;

    // Turns face culling off, then draws and forgets every recorded line.
    // Creates no GL object when no line was recorded.
    void flush(const glm::mat4& viewProjection);

private:
    gl::Program program;
    GLint viewProjectionLocation = -1; // "modelViewProjection"
    GLint positionLocation = -1;       // "position"
    GLint colorLocation = -1;          // "colorToFrag"
    std::vector<DebugLine> lines;      // since the last flush, in emission order
    int debugMode = 0;
};
