#version 330 core

// The font atlas is white; its alpha is the glyphs' coverage.
uniform sampler2D myTextureSampler;
uniform vec4 textColour;

in vec2 UV;

out vec4 fragColor;

void main()
{
    fragColor = texture(myTextureSampler, UV) * textColour;
}
