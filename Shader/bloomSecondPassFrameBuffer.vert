#version 330 core

// The bloom programs draw with one vertex array: the locations are fixed.
// The last pass (bloomCompose.frag) shares this stage.
layout(location = 0) in vec2 vp;
layout(location = 1) in vec2 vt;

out vec2 texCoord;

void main()
{
    texCoord = vt;
    gl_Position = vec4(vp, 0.0, 1.0);
}
