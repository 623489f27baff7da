#version 330 core

in vec2 vp;
in vec2 vt;

out vec2 texCoord;

void main()
{
    texCoord = vt;
    gl_Position = vec4(vp, 0.0, 1.0);
}
