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

void main()
{
    vec2 texel = direction / resolution;
    vec3 blurred = texture(tex2, texCoord).rgb * centreWeight;
    blurred += texture(tex2, texCoord + texel * nearOffset).rgb * nearWeight;
    blurred += texture(tex2, texCoord - texel * nearOffset).rgb * nearWeight;
    blurred += texture(tex2, texCoord + texel * farOffset).rgb * farWeight;
    blurred += texture(tex2, texCoord - texel * farOffset).rgb * farWeight;
    if (end.x > 0.5)
        fragColor = vec4(texture(tex, texCoord).rgb + blurred * glowStrength, 1.0);
    else
        fragColor = vec4(blurred, 1.0);
}
