#include "render/Shader.h"

#include "core/Platform.h"

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

// The compiler's and linker's verdicts are fatal; the log goes on the line
// after the message.
[[noreturn]] void failWithLog(const std::string& message, const std::string& log, const std::string& what)
{
    fatalError(message + '\n' + log, what);
}

} // namespace

Shader::Shader(const std::string& vertexPath, const std::string& fragmentPath)
{
    createProgram();
    compileStage(vertexPath, GL_VERTEX_SHADER, vertexShader);
    compileStage(fragmentPath, GL_FRAGMENT_SHADER, fragmentShader);
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glBindFragDataLocation(program, 0, "fragColor");
    glLinkProgram(program);
    checkLink();
}

Shader::Shader(const std::string& vertexPath, const std::string& geometryPath, const std::string& fragmentPath)
{
    createProgram();
    compileStage(vertexPath, GL_VERTEX_SHADER, vertexShader);
    compileStage(fragmentPath, GL_FRAGMENT_SHADER, fragmentShader);
    compileStage(geometryPath, GL_GEOMETRY_SHADER, geometryShader);
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glAttachShader(program, geometryShader);
    glLinkProgram(program);
    checkLink();
}

Shader::~Shader()
{
    program.reset();
    fragmentShader.reset();
    geometryShader.reset();
    vertexShader.reset();
}

void Shader::createProgram()
{
    program = gl::Program::create();
    if (program == 0)
        fatalError("Didn't get a valid program handle");
}

void Shader::compileStage(const std::string& path, GLenum type, gl::ShaderObject& stage)
{
    std::ifstream file(path);
    if (!file)
        fatalError("Failed to open shader-file", "Shader: cannot open " + path);
    const std::string source((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.close();

    stage = gl::ShaderObject(glCreateShader(type));
    if (stage == 0)
        fatalError("Failed to create shader", "Shader: glCreateShader failed for " + path);

    const char* text = source.c_str();
    glShaderSource(stage, 1, &text, nullptr);
    glCompileShader(stage);

    GLint status = 0;
    glGetShaderiv(stage, GL_COMPILE_STATUS, &status);
    if (status != 0 && glIsShader(stage))
        return;
    failWithLog("Failed to compile shader", infoLog(stage, false), "Shader: compiling " + path + " failed");
}

void Shader::checkLink()
{
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status == 0)
        failWithLog("Failed to link shader program", infoLog(program, true), "Shader: linking failed");
}
