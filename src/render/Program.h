#pragma once

#include "core/Result.h"
#include "render/GlObjects.h"

#include <functional>
#include <string>
#include <vector>

// One stage of a program: its type and its source, or the file to read the
// source from when `source` is empty. `path` names the stage in messages.
struct ShaderStage {
    GLenum type = GL_VERTEX_SHADER;
    std::string path;
    std::string source;
};

// Compiles the stages in their order (each read from its file just before),
// binds "fragColor" to output 0, runs `beforeLink` (which may bind attribute
// locations) and links. The stage objects go once the program is linked.
// Failures, in the order the steps meet them:
//   "Failed to open shader-file"    / "Shader: cannot open PATH"
//   "Failed to create shader"       / "Shader: glCreateShader failed for PATH"
//   "Failed to compile shader\nLOG" / "Shader: compiling PATH failed"
//   "Didn't get a valid program handle"
//   "Failed to link shader program\nLOG" / "Shader: linking failed"
Result<gl::Program> buildProgram(const std::vector<ShaderStage>& stages,
                                 const std::function<void(GLuint)>& beforeLink = {});

// The program of the files NAME.vert and NAME.frag in `folder` (with a slash
// at its end, or empty for the working directory); with `geometry`, NAME.geom
// between them, compiled after the fragment stage.
Result<gl::Program> loadProgram(const std::string& folder, const std::string& name, bool geometry = false);
// The program of these two files, for a vertex stage shared by two programs.
Result<gl::Program> loadProgramFiles(const std::string& vertexPath, const std::string& fragmentPath);

// The shader source for WebGL 2: the desktop's "#version 330 core" line
// becomes GLSL ES 3.00's with high precision for floats, integers and
// samplers; the rest stays as it is (the game's shaders are written in the
// subset both languages share). Other sources come back unchanged. The
// browser build compiles every stage through this.
std::string forWebGl(const std::string& source);
