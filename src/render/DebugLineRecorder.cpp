#include "render/DebugLineRecorder.h"

#include <glm/gtc/type_ptr.hpp>

DebugLineRecorder::DebugLineRecorder(gl::Program lineProgram) : program(std::move(lineProgram))
{
    if (program == 0)
        return;
    viewProjectionLocation = glGetUniformLocation(program, "modelViewProjection");
    positionLocation = glGetAttribLocation(program, "position");
    colorLocation = glGetAttribLocation(program, "colorToFrag");
}

void DebugLineRecorder::drawLine(const btVector3& from, const btVector3& to, const btVector3& color)
{
    lines.push_back({{from.x(), from.y(), from.z()}, {to.x(), to.y(), to.z()}, {color.x(), color.y(), color.z()}});
}

void DebugLineRecorder::drawContactPoint(const btVector3&, const btVector3&, btScalar, int, const btVector3&) {}

void DebugLineRecorder::reportErrorWarning(const char*) {}

void DebugLineRecorder::draw3dText(const btVector3&, const char*) {}

void DebugLineRecorder::setDebugMode(int mode) { debugMode = mode; }

int DebugLineRecorder::getDebugMode() const { return debugMode; }

void DebugLineRecorder::flush(const glm::mat4& viewProjection)
{
    // Lines have no facing; the frame loop turns culling back on next frame.
    glDisable(GL_CULL_FACE);
    if (lines.empty() || program == 0) {
        lines.clear();
        return;
    }

    // Two vertices a line, each end in the line's colour.
    std::vector<float> positions, colors;
    positions.reserve(lines.size() * 6);
    colors.reserve(lines.size() * 6);
    for (const DebugLine& line : lines) {
        positions.insert(positions.end(), line.from, line.from + 3);
        positions.insert(positions.end(), line.to, line.to + 3);
        colors.insert(colors.end(), line.color, line.color + 3);
        colors.insert(colors.end(), line.color, line.color + 3);
    }
    lines.clear();

    const gl::Buffer positionBuffer =
        gl::uploadBuffer(GL_ARRAY_BUFFER, positions.data(), positions.size() * sizeof(float));
    const gl::Buffer colorBuffer = gl::uploadBuffer(GL_ARRAY_BUFFER, colors.data(), colors.size() * sizeof(float));
    const gl::VertexArray vertexArray = gl::VertexArray::create();
    glBindVertexArray(vertexArray);
    gl::pointAttribute(positionLocation, positionBuffer, 3);
    gl::pointAttribute(colorLocation, colorBuffer, 3);

    glUseProgram(program);
    glUniformMatrix4fv(viewProjectionLocation, 1, GL_FALSE, glm::value_ptr(viewProjection));
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(positions.size() / 3));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glUseProgram(0);
}
