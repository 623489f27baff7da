#version 330 core

const int MAX_LIGHTS = 10;

struct PointLight {
    vec3 position;
    vec3 color;
    float power;
    vec2 near_far;
    float unit;
};

layout(std140) uniform Material {
    vec4 diffuse;
    vec4 ambient;
    vec4 specular;
    vec4 emissive;
    float shininess;
    int textureCount;
} material;

uniform PointLight light[MAX_LIGHTS];
uniform int numberoflights;
uniform int normalMapping;
uniform int shadowMapping;
uniform mat4 viewMatrix;
uniform sampler2D colorTexture;
uniform sampler2D normal_map;
uniform samplerCube depth_map;
uniform samplerCube depth_map2;
uniform samplerCube depth_map3;
uniform samplerCube depth_map4;
uniform samplerCube depth_map5;

in vec3 worldPosition;
in vec3 worldNormal;
in vec4 worldTangent;
in vec2 texCoord;

out vec4 fragColor;

void main()
{
    vec3 n = normalize(worldNormal);
    vec3 albedo = material.textureCount > 0 ? texture(colorTexture, texCoord).rgb : material.diffuse.rgb;
    vec3 color = material.ambient.rgb * albedo * 0.2 + material.emissive.rgb;
    for (int i = 0; i < numberoflights && i < MAX_LIGHTS; ++i) {
        vec3 toLight = light[i].position - worldPosition;
        float distance2 = max(dot(toLight, toLight), 1e-4);
        vec3 l = toLight * inversesqrt(distance2);
        color += albedo * light[i].color * light[i].power * max(dot(n, l), 0.0) / distance2;
    }
    fragColor = vec4(color, 1.0);
}
