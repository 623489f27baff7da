#include "render/Sky.h"

#include "render/Shader.h"

#include <glm/gtc/type_ptr.hpp>

Sky::Sky(Shader* program, const std::string& picturePath)
    : program(program), picture(picturePath), quad(program->program),
      pictureLocation(glGetUniformLocation(program->program, "sky")),
      inverseViewProjectionLocation(glGetUniformLocation(program->program, "inverseViewProjection"))
{
    // No mipmaps: the direction's angle jumps from one edge of the picture to
    // the other behind the viewer, and a mipmapped lookup would draw that
    // seam as a line of the smallest level. The picture is smooth enough to
    // be read without them.
    glBindTexture(GL_TEXTURE_2D, picture.id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void Sky::draw(const glm::mat4& viewProjection)
{
    GLint depthFunction = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    glUseProgram(program->program);
    glUniformMatrix4fv(inverseViewProjectionLocation, 1, GL_FALSE, glm::value_ptr(glm::inverse(viewProjection)));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, picture.id);
    glUniform1i(pictureLocation, 0);
    quad.draw();
    glUseProgram(0);

    glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(polygonMode[0]));
    glDepthMask(GL_TRUE);
    glDepthFunc(static_cast<GLenum>(depthFunction));
}
