#version 330 core

uniform sampler2D myTextureSampler;

in vec2 UV;

out vec4 fragColor;

void main()
{
    fragColor = texture(myTextureSampler, UV);
}
