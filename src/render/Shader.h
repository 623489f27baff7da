#pragma once

#include "render/GlObjects.h"

#include <string>

// A linked GL program built from source files. Construction either returns a
// linked program or ends the process with a fatal message.
class Shader {
public:
    Shader(const std::string& vertexPath, const std::string& fragmentPath);
    Shader(const std::string& vertexPath, const std::string& geometryPath, const std::string& fragmentPath);
    // Deletes the program, then the fragment, geometry and vertex stages.
    ~Shader();

    gl::Program program;
    gl::ShaderObject vertexShader;
    gl::ShaderObject fragmentShader;
    gl::ShaderObject geometryShader; // 0 for a two-stage program

private:
    void createProgram();
    void compileStage(const std::string& path, GLenum type, gl::ShaderObject& stage);
    void checkLink();
};
