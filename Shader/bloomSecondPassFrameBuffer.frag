#version 330 core

// One direction of a separable 9-tap Gaussian (binomial weights 1, 8, 28, 56,
// 70, 56, 28, 8, 1 over 256). Each pair of neighbouring taps is one linear
// fetch placed between the two texels by their weights, so nine taps cost five
// fetches. The weights sum to 1: flat areas keep their brightness.
uniform sampler2D tex2;  // the image to blur
uniform vec2 resolution; // the screen's: the taps are spaced in screen pixels
uniform vec2 direction;

in vec2 texCoord;

out vec4 fragColor;

const float centreWeight = 70.0 / 256.0;
const float nearWeight = (56.0 + 28.0) / 256.0;
const float farWeight = (8.0 + 1.0) / 256.0;
const float nearOffset = (1.0 * 56.0 + 2.0 * 28.0) / (56.0 + 28.0);
const float farOffset = (3.0 * 8.0 + 4.0 * 1.0) / (8.0 + 1.0);

// The targets wrap (GL_REPEAT): a tap past the edge would pull in light from
// the opposite side of the screen, so every tap stays inside the image.
vec3 tap(vec2 at)
{
    vec2 halfTexel = 0.5 / vec2(textureSize(tex2, 0));
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
    fragColor = vec4(blurred, 1.0);
}
