#version 330 core

// Text quads in pixels of a 1920 × 1080 screen, mapped to clip space.
in vec2 vertexPosition_screenspace;
in vec2 vertexUV;

out vec2 UV;

void main()
{
    vec2 clip = vertexPosition_screenspace / vec2(960.0, 540.0) - vec2(1.0, 1.0);
    gl_Position = vec4(clip, 0.0, 1.0);
    UV = vertexUV;
}
