#version 330 core

// One direction of a separable 9-tap Gaussian (binomial weights 1, 8, 28, 56,
// 70, 56, 28, 8, 1 over 256). Each pair of neighbouring taps is one linear
// fetch placed between the two texels by their weights, so nine taps cost five
// fetches. The weights sum to 1: flat areas keep their brightness.
uniform sampler2D tex;  // the scene
uniform sampler2D tex2; // the image to blur
uniform vec2 resolution;
uniform vec2 direction;
uniform vec2 end; // (1, 0) on the last pass: compose the glow with the scene

in vec2 texCoord;

out vec4 fragColor;

const float centreWeight = 70.0 / 256.0;
const float nearWeight = (56.0 + 28.0) / 256.0;
const float farWeight = (8.0 + 1.0) / 256.0;
const float nearOffset = (1.0 * 56.0 + 2.0 * 28.0) / (56.0 + 28.0);
const float farOffset = (3.0 * 8.0 + 4.0 * 1.0) / (8.0 + 1.0);
const float glowStrength = 0.8;

// The targets wrap (GL_REPEAT): a tap past the edge would pull in light from
// the opposite side of the screen, so every tap stays inside the image.
vec3 tap(vec2 at)
{
    vec2 halfTexel = 0.5 / resolution;
    return texture(tex2, clamp(at, halfTexel, 1.0 - halfTexel)).rgb;
}

void main()
{
    vec2 texel = direction / resolution;
    vec3 blurred = tap(texCoord) * centreWeight;
    blurred += tap(texCoord + texel * nearOffset) * nearWeight;
    blurred += tap(texCoord - texel * nearOffset) * nearWeight;
    blurred += tap(texCoord + texel * farOffset) * farWeight;
    blurred += tap(texCoord - texel * farOffset) * farWeight;
    // The glow is screened onto the scene: it lights the dark around a bright
    // part, but takes a lit surface only part of its way to white, never past.
    if (end.x > 0.5) {
        vec3 scene = texture(tex, texCoord).rgb;
        fragColor = vec4(scene + blurred * glowStrength * (1.0 - min(scene, 1.0)), 1.0);
    } else {
        fragColor = vec4(blurred, 1.0);
    }
}
