#version 330 core

// A full-screen quad at the far plane (depth 1, where the cleared depth
// buffer still holds 1); the ends of each pixel's view ray go to the
// fragment stage, where their difference is the view direction.
uniform mat4 inverseViewProjection;

in vec2 vp;

out vec4 nearPoint;
out vec4 farPoint;

void main()
{
    nearPoint = inverseViewProjection * vec4(vp, -1.0, 1.0);
    farPoint = inverseViewProjection * vec4(vp, 1.0, 1.0);
    gl_Position = vec4(vp, 1.0, 1.0);
}
