#include "References.h"

#include "render/Bloom.h"
#include "render/Shader.h"

#include <fstream>
#include <stdexcept>
#include <sstream>
#include <vector>

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

GLuint compile(GLenum type, const std::string& source, std::string& log)
{
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char buffer[4096] = {};
        glGetShaderInfoLog(shader, sizeof buffer, nullptr, buffer);
        log += buffer;
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// Links a program from two sources; `beforeLink` may bind locations. Returns
// 0 and fills `log` on failure.
template <typename BeforeLink>
GLuint link(const std::string& vertex, const std::string& fragment, std::string& log, BeforeLink beforeLink)
{
    const GLuint vs = compile(GL_VERTEX_SHADER, vertex, log);
    const GLuint fs = compile(GL_FRAGMENT_SHADER, fragment, log);
    if (!vs || !fs) {
        glDeleteShader(vs);
        glDeleteShader(fs);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glBindFragDataLocation(program, 0, "fragColor");
    beforeLink(program);
    glLinkProgram(program);
    glDetachShader(program, vs);
    glDetachShader(program, fs);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        char buffer[4096] = {};
        glGetProgramInfoLog(program, sizeof buffer, nullptr, buffer);
        log += buffer;
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

gl::Program mustLink(const char* vertex, const char* fragment)
{
    std::string log;
    const GLuint program = link(vertex, fragment, log, [](GLuint) {});
    if (!program)
        throw std::runtime_error("benchmark: a reference program does not build: " + log);
    return gl::Program(program);
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

// The lookup the game makes, with its normal offset of one texel, reduced to
// the one tap at the lookup point. The samplers follow the game's units 2 to 6.
const char* const oneTapLookup = R"(
float oneTapStoredDistance(float unit, vec3 direction)
{
    if (unit < 2.5)
        return textureLod(depth_map, direction, 0.0).r;
    if (unit < 3.5)
        return textureLod(depth_map3, direction, 0.0).r;
    if (unit < 4.5)
        return textureLod(depth_map2, direction, 0.0).r;
    if (unit < 5.5)
        return textureLod(depth_map4, direction, 0.0).r;
    return textureLod(depth_map5, direction, 0.0).r;
}

float oneTapShadowFactor(int lightIndex, vec3 worldPos)
{
    float unit = light[lightIndex].unit;
    if (shadowMapping != 1 || unit < 1.5 || unit > 6.5)
        return 1.0;
    vec3 lightPos = light[lightIndex].position;
    float far = light[lightIndex].near_far.y;
    float dist = length(worldPos - lightPos);
    if (dist >= far || dist <= 0.0)
        return 1.0;
    vec3 ray = worldPos + normalize(worldNormal) * (dist * 2.0 / 256.0) - lightPos;
    float stored = oneTapStoredDistance(unit, ray);
    return stored <= 0.0 || length(ray) <= stored * far ? 1.0 : 0.0;
}

#define shadowFactor oneTapShadowFactor
)";

} // namespace

CopyReference::CopyReference(int width, int height) : width(width), height(height)
{
    program = mustLink(fullScreenVertex, copyFragment);
    texLocation = glGetUniformLocation(program, "tex");
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
    // The bloom regenerates the scene's mipmaps three times and those of
    // each blur target once.
    const GLuint mipmapped[5] = {bloom.colorTextures[0], bloom.colorTextures[0], bloom.colorTextures[1],
                                 bloom.colorTextures[0], bloom.colorTextures[2]};
    glActiveTexture(GL_TEXTURE0);
    for (GLuint name : mipmapped) {
        glBindTexture(GL_TEXTURE_2D, name);
        glGenerateMipmap(GL_TEXTURE_2D);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void CopyReference::copy(const Bloom& bloom)
{
    glUseProgram(program);
    glUniform1i(texLocation, 0);
    glActiveTexture(GL_TEXTURE0);
    glViewport(0, 0, width, height);

    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glBindTexture(GL_TEXTURE_2D, bloom.colorTextures[0]);
    drawFullScreen(vertexArray);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, texture);
    drawFullScreen(vertexArray);

    glBindTexture(GL_TEXTURE_2D, 0);
    glUseProgram(0);
}

PingPongGaussianReference::PingPongGaussianReference(int width, int height) : width(width), height(height)
{
    program = mustLink(fullScreenVertex, gaussianFragment);
    imageLocation = glGetUniformLocation(program, "image");
    horizontalLocation = glGetUniformLocation(program, "horizontal");
    texelLocation = glGetUniformLocation(program, "texel");
    vertexArray = gl::VertexArray::create();
    for (int i = 0; i < 2; ++i)
        allocateTarget(framebuffers[i], textures[i], width, height);
}

void PingPongGaussianReference::render(GLuint source)
{
    glUseProgram(program);
    glUniform1i(imageLocation, 0);
    glUniform2f(texelLocation, 1.0f / static_cast<float>(width), 1.0f / static_cast<float>(height));
    glActiveTexture(GL_TEXTURE0);
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

std::string oneTapFragmentSource(const std::string& source)
{
    // The lit program's own switch, where it has one: a tap count the
    // benchmark may define before the program's default.
    if (source.find(shadowTapCountMacro) != std::string::npos) {
        const std::size_t version = source.find("#version");
        if (version == std::string::npos)
            return {};
        const std::size_t lineEnd = source.find('\n', version);
        if (lineEnd == std::string::npos)
            return {};
        return source.substr(0, lineEnd + 1) + "#define " + shadowTapCountMacro + " 1\n" +
               source.substr(lineEnd + 1);
    }
    const std::string mainSignature = "void main()";
    const std::size_t main = source.find(mainSignature);
    if (main == std::string::npos || source.find("shadowFactor(", main) == std::string::npos)
        return {};
    return source.substr(0, main) + oneTapLookup + "\n" + source.substr(main);
}

std::string OneTapLitProgram::build(const Shader& litProgram, const std::string& vertexPath,
                                    const std::string& fragmentPath)
{
    const std::string vertex = readText(vertexPath);
    const std::string fragment = oneTapFragmentSource(readText(fragmentPath));
    if (vertex.empty() || fragment.empty())
        return std::string("neither ") + shadowTapCountMacro + " nor a main() calling shadowFactor in " +
               fragmentPath;

    const GLuint original = litProgram.program;
    std::string log;
    const GLuint built = link(vertex, fragment, log, [original](GLuint program) {
        GLint count = 0;
        glGetProgramiv(original, GL_ACTIVE_ATTRIBUTES, &count);
        for (GLint i = 0; i < count; ++i) {
            char name[256] = {};
            GLint size = 0;
            GLenum type = 0;
            glGetActiveAttrib(original, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
            const GLint location = glGetAttribLocation(original, name);
            if (location >= 0)
                glBindAttribLocation(program, static_cast<GLuint>(location), name);
        }
    });
    if (!built)
        return "the one-tap variant does not build: " + log;
    program = gl::Program(built);

    // The game's objects keep the locations they looked up in the original.
    GLint count = 0;
    glGetProgramiv(original, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[256] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(original, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
        if (glGetUniformLocation(original, name) != glGetUniformLocation(program, name))
            return std::string("the one-tap variant puts uniform ") + name + " elsewhere";
    }
    glGetProgramiv(original, GL_ACTIVE_ATTRIBUTES, &count);
    for (GLint i = 0; i < count; ++i) {
        char name[256] = {};
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(original, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
        if (glGetAttribLocation(original, name) != glGetAttribLocation(program, name))
            return std::string("the one-tap variant puts attribute ") + name + " elsewhere";
    }
    const GLuint block = glGetUniformBlockIndex(original, "Material");
    const GLuint variantBlock = glGetUniformBlockIndex(program, "Material");
    if (block != GL_INVALID_INDEX && variantBlock != GL_INVALID_INDEX) {
        GLint binding = 0;
        glGetActiveUniformBlockiv(original, block, GL_UNIFORM_BLOCK_BINDING, &binding);
        glUniformBlockBinding(program, variantBlock, static_cast<GLuint>(binding));
    }
    return {};
}
