#version 330 core

// The bloom programs draw with one vertex array: the locations are fixed.
// The first pass reads the scene by pixel and needs no texture coordinates.
layout(location = 0) in vec2 vp;

void main()
{
    gl_Position = vec4(vp, 0.0, 1.0);
}
