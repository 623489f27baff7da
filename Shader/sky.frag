#version 330 core

// The sky picture runs once around the horizon (u, the direction's angle
// about the vertical) and from the horizon to the zenith (v, the sine of
// its elevation); below the horizon it keeps the horizon's colour.
uniform sampler2D sky;

in vec4 nearPoint;
in vec4 farPoint;

out vec4 fragColor;

const float pi = 3.14159265;

void main()
{
    vec3 direction = normalize(farPoint.xyz / farPoint.w - nearPoint.xyz / nearPoint.w);
    vec2 lookup = vec2(atan(direction.z, direction.x) / (2.0 * pi) + 0.5, max(direction.y, 0.0));
    fragColor = vec4(texture(sky, lookup).rgb, 1.0);
}
