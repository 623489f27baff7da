#version 330 core

uniform vec4 light_pos;
uniform vec2 near_far;

in vec4 worldPosition;

void main()
{
    // The projection's near plane is 0, so its own depth is useless: store the
    // distance to the light, scaled to 0..1 over the far distance.
    float distanceToLight = length(worldPosition.xyz - light_pos.xyz);
    gl_FragDepth = clamp(distanceToLight / near_far.y, 0.0, 1.0);
}
