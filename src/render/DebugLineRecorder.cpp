#include "render/DebugLineRecorder.h"

#include "render/GlObjects.h"
#include "render/Shader.h"

#include <glm/gtc/type_ptr.hpp>

DebugLineRecorder::DebugLineRecorder(Shader* lineProgram) : lineProgram(lineProgram)
{
    setDebugMode(0);
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

DebugLineVertices takeDebugLines(std::vector<DebugLine>& lines)
{
    DebugLineVertices vertices;
    vertices.positions.reserve(lines.size() * 6);
    vertices.colors.reserve(lines.size() * 6);
    vertices.indices.reserve(lines.size() * 2);
    uint32_t counter = 0;
    while (!lines.empty()) {
        const DebugLine& line = lines.back();
        vertices.positions.insert(vertices.positions.end(), line.from, line.from + 3);
        vertices.positions.insert(vertices.positions.end(), line.to, line.to + 3);
        vertices.colors.insert(vertices.colors.end(), line.color, line.color + 3);
        vertices.colors.insert(vertices.colors.end(), line.color, line.color + 3);
        vertices.indices.push_back(counter);
        vertices.indices.push_back(counter + 1);
        counter += 2;
        lines.pop_back();
    }
    return vertices;
}

void flushDebugLines(DebugLineRecorder& drawer, const glm::mat4& modelViewProjection)
{
    // Lines have no facing; the frame loop turns culling back on next frame.
    glDisable(GL_CULL_FACE);

    const DebugLineVertices vertices = takeDebugLines(drawer.lines);
    if (vertices.positions.empty())
        return;

    gl::Buffer positionBuffer = gl::uploadBuffer(GL_ARRAY_BUFFER, vertices.positions.data(),
                                                 vertices.positions.size() * sizeof(float));
    gl::Buffer colorBuffer =
        gl::uploadBuffer(GL_ARRAY_BUFFER, vertices.colors.data(), vertices.colors.size() * sizeof(float));

    const GLuint program = drawer.lineProgram->program;
    gl::VertexArray vertexArray = gl::VertexArray::create();
    glBindVertexArray(vertexArray);
    gl::pointAttribute(program, "position", positionBuffer, 3);
    gl::pointAttribute(program, "colorToFrag", colorBuffer, 3);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "modelViewProjection"), 1, GL_FALSE,
                       glm::value_ptr(modelViewProjection));

    glBindVertexArray(vertexArray);
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(vertices.indices.size()));
    glBindVertexArray(0);
    glUseProgram(0);

    positionBuffer.reset();
    colorBuffer.reset();
    vertexArray.reset();
}
