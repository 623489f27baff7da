#version 330 core

uniform sampler2D tex;  // the scene
uniform sampler2D tex2; // the image to blur
uniform vec2 resolution;
uniform vec2 direction;
uniform vec2 end; // (1, 0) on the last pass: add the blur to the scene

in vec2 texCoord;

out vec4 fragColor;

void main()
{
    vec2 texel = direction / resolution;
    vec3 blurred = texture(tex2, texCoord).rgb * 0.227027;
    blurred += texture(tex2, texCoord + texel * 1.384615).rgb * 0.316216;
    blurred += texture(tex2, texCoord - texel * 1.384615).rgb * 0.316216;
    blurred += texture(tex2, texCoord + texel * 3.230769).rgb * 0.070270;
    blurred += texture(tex2, texCoord - texel * 3.230769).rgb * 0.070270;
    vec3 scene = texture(tex, texCoord).rgb;
    fragColor = vec4(end.x > 0.5 ? scene + blurred : blurred, 1.0);
}
