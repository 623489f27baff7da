#version 330 core

const int MAX_LIGHTS = 10;

// Parts of the lighting that a build of this program may leave out, to
// measure what each costs (the benchmark's variants define them after the
// #version line); the game uses every part.
#ifndef LIT_SHADOWS
#define LIT_SHADOWS 1
#endif
#ifndef LIT_NORMAL_MAP
#define LIT_NORMAL_MAP 1
#endif
#ifndef LIT_LIGHTS
#define LIT_LIGHTS MAX_LIGHTS
#endif

struct PointLight {
    vec3 position;
    vec3 color;
    float power;   // already four times the light's power
    vec2 near_far; // of the light's shadow projection
    float unit;    // texture unit of the light's depth cube map
};

// Must match MaterialBlock in src/scene/Material.h (std140, 80 bytes).
layout(std140) uniform Material {
    vec4 diffuse;
    vec4 ambient;
    vec4 specular;
    vec4 emissive;
    float shininess;
    int textureCount; // 0 none, 1 colour texture, 2 colour texture and normal map
} material;

uniform PointLight light[MAX_LIGHTS];
uniform int numberoflights;
uniform int normalMapping;
uniform int shadowMapping;
uniform sampler2D colorTexture;
uniform sampler2D normal_map;
uniform samplerCubeShadow depth_map;
uniform samplerCubeShadow depth_map2;
uniform samplerCubeShadow depth_map3;
uniform samplerCubeShadow depth_map4;
uniform samplerCubeShadow depth_map5;

in vec3 worldPosition;
in vec3 worldNormal;
in vec4 worldTangent;
in vec2 texCoord;
flat in vec3 eyePosition;

out vec4 fragColor;

// Light that corners far from every lamp keep, so their shapes still read.
const float SKY_LIGHT = 0.04;
// Above SHOULDER colours roll off towards 1 instead of clipping, slowly enough
// that lamps a few times brighter than white still show gradients; WHITE and
// brighter show as full white.
const float SHOULDER = 0.6;
const float WHITE = 4.0;

// Shadows. Each cube map holds, per texel, the distance from its light to the
// nearest surface divided by the light's far distance (written by
// shadowMapOmniFirstPass.frag), and is read with comparison: one lookup
// compares the four texels around the direction with the reference distance
// and filters the four answers, so a shadow's edge ramps over a texel
// instead of stepping. A cube map's name follows its texture unit: units 2
// to 6 read depth_map, depth_map3, depth_map2, depth_map4, depth_map5.
// The faces were rendered with a field of view of 2·atan(1024/1023), a little
// wider than the 90 degrees a cube lookup assumes: stretching the major axis
// by the same factor finds the texel that was rendered for this direction.
vec3 renderedDirection(vec3 v)
{
    vec3 a = abs(v);
    float major = max(a.x, max(a.y, a.z));
    return v + v * step(major, a) * (1024.0 / 1023.0 - 1.0);
}

// One texel of a 256-texel face spans about 2/256 of the distance.
const float SHADOW_TEXEL = 2.0 / 256.0;

// Fraction of light lightIndex that reaches worldPos: 1 lit, 0 in shadow.
// The lookup starts a texel and a half off the surface along its normal. The
// filter compares texels up to √2 texels from the lookup, where the surface
// lies up to √2 texels × tan(angle) nearer the light; along the light's ray
// the offset clears it by 1.5 texels / cos(angle), more at every angle, so
// lit surfaces stay clean while contact shadows move by about a texel.
float shadowFactor(samplerCubeShadow map, int lightIndex, vec3 worldPos)
{
    vec3 lightPos = light[lightIndex].position;
    float far = light[lightIndex].near_far.y;
    vec3 fromLight = worldPos - lightPos;
    float dist = length(fromLight);
    if (dist >= far || dist <= 0.0)
        return 1.0;
    vec3 n = normalize(worldNormal);
    if (dot(n, fromLight) >= 0.0)
        return 0.0; // the surface turns away: it shadows itself
    vec3 ray = fromLight + n * (dist * SHADOW_TEXEL * 1.5);
    return texture(map, vec4(renderedDirection(ray), length(ray) / far));
}

// The level gives light k (k < SHADOWED_LIGHTS) the cube map on unit 2 + k;
// a light on any other unit casts no shadow. A software rasteriser runs
// every branch of a fragment shader, taken or not, and reads an array with an
// index it cannot fold per lane: each light's shadow is therefore computed
// with a constant light index and a constant sampler, once per fragment.
const int SHADOWED_LIGHTS = 5;

float shadowFrom(samplerCubeShadow map, int k, int count)
{
    float lit = shadowFactor(map, k, worldPosition);
    return k < count && abs(light[k].unit - float(2 + k)) < 0.5 ? lit : 1.0;
}

vec3 surfaceNormal()
{
    vec3 n = normalize(worldNormal);
    if (LIT_NORMAL_MAP == 0 || normalMapping != 1 || material.textureCount != 2)
        return n;
    // Gram-Schmidt keeps the frame orthogonal after interpolation; a mesh
    // without usable tangents keeps its vertex normal.
    vec3 t = worldTangent.xyz - n * dot(n, worldTangent.xyz);
    if (dot(t, t) < 1e-12)
        return n;
    t = normalize(t);
    vec3 b = cross(n, t) * (worldTangent.w < 0.0 ? -1.0 : 1.0);
    vec3 mapped = texture(normal_map, texCoord).rgb * 2.0 - 1.0;
    return normalize(mat3(t, b, n) * mapped);
}

vec3 softClip(vec3 c)
{
    const float span = (WHITE - SHOULDER) / (1.0 - SHOULDER);
    const float top = span / (1.0 + span);
    vec3 t = max(c - SHOULDER, 0.0) / (1.0 - SHOULDER);
    vec3 rolled = SHOULDER + (1.0 - SHOULDER) * min(t / (1.0 + t) / top, 1.0);
    return mix(c, rolled, step(SHOULDER, c));
}

void main()
{
    vec3 albedo = material.textureCount >= 1 ? texture(colorTexture, texCoord).rgb : material.diffuse.rgb;
    vec3 n = surfaceNormal();
    vec3 toEye = eyePosition - worldPosition;
    vec3 v = dot(toEye, toEye) > 0.0 ? normalize(toEye) : n;
    // A shininess of 0 would make the highlight cover the whole hemisphere.
    float exponent = max(material.shininess, 1.0);

    vec3 color = albedo * (material.ambient.rgb + SKY_LIGHT) + material.emissive.rgb;
    int count = min(numberoflights, LIT_LIGHTS);
    float shadows[SHADOWED_LIGHTS] = float[SHADOWED_LIGHTS](1.0, 1.0, 1.0, 1.0, 1.0);
    if (LIT_SHADOWS == 1 && shadowMapping == 1) {
        shadows[0] = shadowFrom(depth_map, 0, count);
        shadows[1] = shadowFrom(depth_map3, 1, count);
        shadows[2] = shadowFrom(depth_map2, 2, count);
        shadows[3] = shadowFrom(depth_map4, 3, count);
        shadows[4] = shadowFrom(depth_map5, 4, count);
    }
    for (int i = 0; i < count; ++i) {
        float shadow = 1.0;
        for (int k = 0; k < SHADOWED_LIGHTS; ++k)
            shadow = k == i ? shadows[k] : shadow;
        vec3 toLight = light[i].position - worldPosition;
        float distance2 = dot(toLight, toLight);
        vec3 l = distance2 > 0.0 ? toLight * inversesqrt(distance2) : n;
        float lambert = max(dot(n, l), 0.0);
        if (lambert <= 0.0)
            continue;
        // Inverse-square falloff, kept finite right at the lamp.
        vec3 radiance = light[i].color * (light[i].power / (1.0 + distance2));
        vec3 halfway = l + v;
        float halfway2 = dot(halfway, halfway);
        float highlight = halfway2 > 0.0 ? pow(max(dot(n, halfway * inversesqrt(halfway2)), 0.0), exponent) : 0.0;
        vec3 lit = albedo * lambert + material.specular.rgb * highlight;
        color += lit * radiance * shadow;
    }

    fragColor = vec4(softClip(max(color, 0.0)), 1.0);
}
