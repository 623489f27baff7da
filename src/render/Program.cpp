#include "render/Program.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::string infoLog(GLuint object, bool isProgram)
{
    GLint length = 0;
    if (isProgram)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0)
        return {};
    std::vector<char> buffer(static_cast<size_t>(length), '\0');
    if (isProgram)
        glGetProgramInfoLog(object, length, nullptr, buffer.data());
    else
        glGetShaderInfoLog(object, length, nullptr, buffer.data());
    return std::string(buffer.data());
}

// The compiler's and linker's logs go on the line after the message.
Failure withLog(const std::string& message, const std::string& log, const std::string& detail)
{
    return {message + '\n' + log, detail};
}

} // namespace

std::string forWebGl(const std::string& source)
{
    const std::string desktop = "#version 330 core";
    if (source.compare(0, desktop.size(), desktop) != 0)
        return source;
    return "#version 300 es\n"
           "precision highp float;\nprecision highp int;\nprecision highp sampler2D;\nprecision highp "
           "samplerCube;\nprecision highp samplerCubeShadow;" +
           source.substr(desktop.size());
}

namespace {

Result<gl::ShaderObject> compileStage(const ShaderStage& stage)
{
    std::string source = stage.source;
    if (source.empty()) {
        std::ifstream file(stage.path);
        if (!file)
            return Failure{"Failed to open shader-file", "Shader: cannot open " + stage.path};
        source.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    if (gl::web)
        source = forWebGl(source);

    gl::ShaderObject shader(glCreateShader(stage.type));
    if (shader == 0)
        return Failure{"Failed to create shader", "Shader: glCreateShader failed for " + stage.path};
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);

    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == 0 || !glIsShader(shader))
        return withLog("Failed to compile shader", infoLog(shader, false),
                       "Shader: compiling " + stage.path + " failed");
    return shader;
}

} // namespace

Result<gl::Program> buildProgram(const std::vector<ShaderStage>& stages, const std::function<void(GLuint)>& beforeLink)
{
    gl::Program program = gl::Program::create();
    if (program == 0)
        return Failure{"Didn't get a valid program handle", {}};
    std::vector<gl::ShaderObject> compiled;
    for (const ShaderStage& stage : stages) {
        Result<gl::ShaderObject> shader = compileStage(stage);
        if (!shader)
            return shader.failure();
        compiled.push_back(std::move(shader.value()));
    }
    for (const gl::ShaderObject& shader : compiled)
        glAttachShader(program, shader);
#ifndef __EMSCRIPTEN__
    glBindFragDataLocation(program, 0, "fragColor"); // WebGL: the one output is at 0 anyway
#endif
    if (beforeLink)
        beforeLink(program);
    glLinkProgram(program);
    for (const gl::ShaderObject& shader : compiled)
        glDetachShader(program, shader);

    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status == 0)
        return withLog("Failed to link shader program", infoLog(program, true), "Shader: linking failed");
    return program;
}

Result<gl::Program> loadProgram(const std::string& folder, const std::string& name, bool geometry)
{
    const std::string base = folder + name;
    std::vector<ShaderStage> stages = {{GL_VERTEX_SHADER, base + ".vert", {}},
                                       {GL_FRAGMENT_SHADER, base + ".frag", {}}};
#ifdef __EMSCRIPTEN__
    (void)geometry; // WebGL has no geometry stage, and its callers ask for none
#else
    if (geometry)
        stages.push_back({GL_GEOMETRY_SHADER, base + ".geom", {}});
#endif
    return buildProgram(stages);
}

Result<gl::Program> loadProgramFiles(const std::string& vertexPath, const std::string& fragmentPath)
{
    return buildProgram({{GL_VERTEX_SHADER, vertexPath, {}}, {GL_FRAGMENT_SHADER, fragmentPath, {}}});
}
