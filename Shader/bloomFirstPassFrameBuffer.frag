#version 330 core

// The bright parts of the scene, at half its size: each pixel here is the
// mean of the bright parts of the two by two scene pixels it covers, found
// one scene pixel at a time, so a lone bright pixel still glows. A soft knee
// around the threshold lets highlights fade into the glow instead of
// switching on at one brightness. Anything at full brightness comes out
// unchanged, so the glow's strength is set in one place, the composition of
// the last pass.
uniform sampler2D tex;

out vec4 fragColor;

const float threshold = 0.7;
const float knee = 0.15;

vec3 brightPart(ivec2 at)
{
    vec3 color = texelFetch(tex, min(at, textureSize(tex, 0) - 1), 0).rgb;
    float brightness = max(color.r, max(color.g, color.b));
    float soft = clamp(brightness - threshold + knee, 0.0, 2.0 * knee);
    soft = soft * soft / (4.0 * knee);
    float excess = max(soft, brightness - threshold);
    float weight = excess / max(brightness, 1e-4) / (1.0 - threshold);
    return color * weight;
}

void main()
{
    ivec2 at = ivec2(gl_FragCoord.xy) * 2;
    vec3 sum = brightPart(at) + brightPart(at + ivec2(1, 0)) + brightPart(at + ivec2(0, 1)) +
               brightPart(at + ivec2(1, 1));
    fragColor = vec4(sum * 0.25, 1.0);
}
