#include "References.h"

#include "render/Bloom.h"
#include "render/Program.h"
#include "render/TextureUnits.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

// A full-screen triangle from gl_VertexID: no buffers needed.
const char* const fullScreenVertex = R"(#version 330 core
out vec2 texCoord;
void main()
{
    vec2 corner = vec2(float((gl_VertexID << 1) & 2), float(gl_VertexID & 2));
    texCoord = corner;
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";

const char* const copyFragment = R"(#version 330 core
uniform sampler2D tex;
in vec2 texCoord;
out vec4 fragColor;
void main() { fragColor = texture(tex, texCoord); }
)";

// The tutorial's blur: five weights, nine taps, one texel apart.
const char* const gaussianFragment = R"(#version 330 core
uniform sampler2D image;
uniform bool horizontal;
uniform vec2 texel;
in vec2 texCoord;
out vec4 fragColor;
const float weight[5] = float[](0.227027, 0.1945946, 0.1216216, 0.054054, 0.016216);
void main()
{
    vec2 step = horizontal ? vec2(texel.x, 0.0) : vec2(0.0, texel.y);
    vec3 result = texture(image, texCoord).rgb * weight[0];
    for (int i = 1; i < 5; ++i) {
        result += texture(image, texCoord + step * float(i)).rgb * weight[i];
        result += texture(image, texCoord - step * float(i)).rgb * weight[i];
    }
    fragColor = vec4(result, 1.0);
}
)";

// A reference program that does not build is the benchmark's own fault.
gl::Program mustBuild(const char* vertex, const char* fragment)
{
    Result<gl::Program> program =
        buildProgram({{GL_VERTEX_SHADER, "reference.vert", vertex}, {GL_FRAGMENT_SHADER, "reference.frag", fragment}});
    if (!program)
        throw std::runtime_error("benchmark: a reference program does not build: " + program.failure().message);
    return std::move(program.value());
}

void allocateTarget(gl::Framebuffer& framebuffer, gl::Texture& texture, int width, int height)
{
    texture = gl::Texture::create();
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    framebuffer = gl::Framebuffer::create();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        throw std::runtime_error("benchmark: a reference target is incomplete");
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void drawFullScreen(GLuint vertexArray)
{
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    glBindVertexArray(0);
}

std::string readText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return file ? text.str() : std::string();
}

} // namespace

CopyReference::CopyReference(int width, int height) : width(width), height(height)
{
    program = mustBuild(fullScreenVertex, copyFragment);
    vertexArray = gl::VertexArray::create();
    allocateTarget(framebuffer, texture, width, height);
}

void CopyReference::render(const Bloom& bloom)
{
    regenerateMipmaps(bloom);
    copy(bloom);
}

void CopyReference::regenerateMipmaps(const Bloom& bloom)
{
    // Five times the scene's: the blur targets once were screen-sized too,
    // and now are smaller.
    glActiveTexture(textureUnits::glUnit(textureUnits::picture));
    glBindTexture(GL_TEXTURE_2D, bloom.targetTexture(0));
    for (int i = 0; i < 5; ++i)
        glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void CopyReference::copy(const Bloom& bloom)
{
    glUseProgram(program);
    glActiveTexture(textureUnits::glUnit(textureUnits::picture));
    glViewport(0, 0, width, height);

    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glBindTexture(GL_TEXTURE_2D, bloom.targetTexture(0));
    drawFullScreen(vertexArray);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, texture);
    drawFullScreen(vertexArray);

    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}

PingPongGaussianReference::PingPongGaussianReference(int width, int height) : width(width), height(height)
{
    program = mustBuild(fullScreenVertex, gaussianFragment);
    horizontalLocation = glGetUniformLocation(program, "horizontal");
    glUseProgram(program);
    glUniform2f(glGetUniformLocation(program, "texel"), 1.0f / static_cast<float>(width),
                1.0f / static_cast<float>(height));
    glUseProgram(0);
    vertexArray = gl::VertexArray::create();
    for (int i = 0; i < 2; ++i)
        allocateTarget(framebuffers[i], textures[i], width, height);
}

void PingPongGaussianReference::render(GLuint source)
{
    glUseProgram(program);
    glActiveTexture(textureUnits::glUnit(textureUnits::picture));
    glViewport(0, 0, width, height);
    GLuint input = source;
    for (int pass = 0; pass < passes; ++pass) {
        const int target = pass % 2;
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[target]);
        glUniform1i(horizontalLocation, target == 0 ? 1 : 0);
        glBindTexture(GL_TEXTURE_2D, input);
        drawFullScreen(vertexArray);
        input = textures[target];
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}

namespace {

// NAME of a definition "NAME VALUE".
std::string macroName(const std::string& definition) { return definition.substr(0, definition.find(' ')); }

} // namespace

std::string fragmentSourceWith(const std::string& source, const std::string& definition)
{
    if (source.find(macroName(definition)) == std::string::npos)
        return {};
    const std::size_t version = source.find("#version");
    if (version == std::string::npos)
        return {};
    const std::size_t lineEnd = source.find('\n', version);
    if (lineEnd == std::string::npos)
        return {};
    return source.substr(0, lineEnd + 1) + "#define " + definition + "\n" + source.substr(lineEnd + 1);
}

Result<LitPass> litPassWith(const std::string& shaderFolder, const std::string& definition)
{
    const std::string fragmentPath = shaderFolder + "PhongCombined.frag";
    const std::string fragment = fragmentSourceWith(readText(fragmentPath), definition);
    if (fragment.empty())
        return Failure{"no " + macroName(definition) + " to define", fragmentPath};
    Result<gl::Program> lit = buildProgram(
        {{GL_VERTEX_SHADER, shaderFolder + "PhongCombined.vert", {}}, {GL_FRAGMENT_SHADER, fragmentPath, fragment}});
    if (!lit)
        return lit.failure();
    Result<gl::Program> depthOnly =
        loadProgramFiles(shaderFolder + "PhongCombined.vert", shaderFolder + "depthOnly.frag");
    if (!depthOnly)
        return depthOnly.failure();
    return LitPass(std::move(lit.value()), std::move(depthOnly.value()));
}
