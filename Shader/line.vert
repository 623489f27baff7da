#version 330 core

in vec3 position;
in vec3 colorToFrag;

uniform mat4 modelViewProjection;

out vec3 lineColor;

void main()
{
    lineColor = colorToFrag;
    gl_Position = modelViewProjection * vec4(position, 1.0);
}
