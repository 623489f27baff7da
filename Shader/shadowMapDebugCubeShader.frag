#version 330 core

// Shows a shadow cube map as grey levels for inspection.
uniform samplerCube cubeMap;

in vec3 cubeDirection;

out vec4 fragColor;

void main()
{
    float depth = texture(cubeMap, cubeDirection).r;
    fragColor = vec4(vec3(depth), 1.0);
}
