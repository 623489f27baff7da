#version 330 core

// The bright parts of the scene: a soft knee around the threshold lets
// highlights fade into the glow instead of switching on at one brightness.
// Anything at full brightness comes out unchanged, so the glow's strength is
// set in one place, the composition of the last pass.
uniform sampler2D tex;

in vec2 texCoord;

out vec4 fragColor;

const float threshold = 0.7;
const float knee = 0.15;

void main()
{
    vec3 color = texture(tex, texCoord).rgb;
    float brightness = max(color.r, max(color.g, color.b));
    float soft = clamp(brightness - threshold + knee, 0.0, 2.0 * knee);
    soft = soft * soft / (4.0 * knee);
    float excess = max(soft, brightness - threshold);
    float weight = excess / max(brightness, 1e-4) / (1.0 - threshold);
    fragColor = vec4(color * weight, 1.0);
}
