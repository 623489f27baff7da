#version 330 core

in vec3 vp;

uniform mat4 M;

void main()
{
    gl_Position = M * vec4(vp, 1.0);
}
