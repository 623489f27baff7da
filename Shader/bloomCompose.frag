#version 330 core

// The bloom's last pass: the glow, blurred at half the screen's size and
// stretched back over it by linear filtering, composed with the scene.
uniform sampler2D tex;  // the scene
uniform sampler2D tex2; // the glow

in vec2 texCoord;

out vec4 fragColor;

const float glowStrength = 0.8;

void main()
{
    // The glow wraps (GL_REPEAT) like every target: its edge texels stay
    // inside the image.
    vec2 halfTexel = 0.5 / vec2(textureSize(tex2, 0));
    vec3 glow = texture(tex2, clamp(texCoord, halfTexel, 1.0 - halfTexel)).rgb;
    vec3 scene = texture(tex, texCoord).rgb;
    // The glow is screened onto the scene: it lights the dark around a bright
    // part, but takes a lit surface only part of its way to white, never past.
    fragColor = vec4(scene + glow * glowStrength * (1.0 - min(scene, 1.0)), 1.0);
}
