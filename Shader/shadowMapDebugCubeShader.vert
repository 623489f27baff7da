#version 330 core

in vec3 vp;

uniform mat4 model;
uniform mat4 view;
uniform mat4 projection;

out vec3 cubeDirection;

void main()
{
    cubeDirection = vp;
    gl_Position = projection * view * model * vec4(vp, 1.0);
}
