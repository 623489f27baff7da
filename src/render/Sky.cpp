#include "render/Sky.h"

#include "render/TextureUnits.h"

#include <glm/gtc/type_ptr.hpp>

Sky::Sky(gl::Program skyProgram, gl::Texture skyPicture)
    : program(std::move(skyProgram)), picture(std::move(skyPicture)), quad(program),
      inverseViewProjectionLocation(glGetUniformLocation(program, "inverseViewProjection"))
{
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "sky"), textureUnits::picture);
    glUseProgram(0);
    // No mipmaps: the direction's angle jumps from one edge of the picture to
    // the other behind the viewer, and a mipmapped lookup would draw that
    // seam as a line of the smallest level. The picture is smooth enough to
    // be read without them.
    glBindTexture(GL_TEXTURE_2D, picture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void Sky::draw(const glm::mat4& viewProjection) const
{
    GLint depthFunction = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    GLboolean depthWrites = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    const bool wireframe = gl::wireframe();
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    gl::setWireframe(false);

    glUseProgram(program);
    glUniformMatrix4fv(inverseViewProjectionLocation, 1, GL_FALSE, glm::value_ptr(glm::inverse(viewProjection)));
    glActiveTexture(textureUnits::glUnit(textureUnits::picture));
    glBindTexture(GL_TEXTURE_2D, picture);
    quad.draw();
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);

    gl::setWireframe(wireframe);
    glDepthMask(depthWrites);
    glDepthFunc(static_cast<GLenum>(depthFunction));
}
