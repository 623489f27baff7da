#version 330 core

// Keeps only the bright parts of the scene.
uniform sampler2D tex;

in vec2 texCoord;

out vec4 fragColor;

void main()
{
    vec3 color = texture(tex, texCoord).rgb;
    float brightness = dot(color, vec3(0.2126, 0.7152, 0.0722));
    fragColor = vec4(color * smoothstep(0.7, 0.95, brightness), 1.0);
}
