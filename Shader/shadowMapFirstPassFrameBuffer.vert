#version 330 core

in vec3 vp;

uniform mat4 M;
uniform mat4 VP;

void main()
{
    gl_Position = VP * M * vec4(vp, 1.0);
}
