#version 330 core

const int MAX_LIGHTS = 10;

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
uniform samplerCube depth_map;
uniform samplerCube depth_map2;
uniform samplerCube depth_map3;
uniform samplerCube depth_map4;
uniform samplerCube depth_map5;

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
// shadowMapOmniFirstPass.frag). A cube map's name follows its texture unit:
// units 2 to 6 read depth_map, depth_map3, depth_map2, depth_map4, depth_map5.
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
#ifndef SHADOW_TAP_COUNT
#define SHADOW_TAP_COUNT 4
#endif
// The tap pattern: a rotated grid, in texels.
const vec2 SHADOW_TAPS[4] = vec2[4](vec2(-0.4, -1.1), vec2(1.1, -0.4), vec2(0.4, 1.1), vec2(-1.1, 0.4));

// Fraction of light lightIndex that reaches worldPos: 1 lit, 0 in shadow.
// The lookup starts one texel off the surface along its normal: along the
// light's ray that clears the surface by texel / cos(angle), which grows with
// the tilt faster than the depth spread of a texel (half a texel × tan), so
// lit surfaces stay clean at every angle while contact shadows move by about
// one texel. The four taps sit a texel around the lookup as seen from the
// light, slid along the light's ray back onto the surface's plane, so that
// each compares the surface's own distance at that tap.
float shadowFactor(samplerCube map, int lightIndex, vec3 worldPos)
{
    vec3 lightPos = light[lightIndex].position;
    float far = light[lightIndex].near_far.y;
    vec3 fromLight = worldPos - lightPos;
    float dist = length(fromLight);
    if (dist >= far || dist <= 0.0)
        return 1.0;
    vec3 l = -fromLight / dist;
    vec3 n = normalize(worldNormal);
    float cosTheta = dot(n, l);
    if (cosTheta <= 0.0)
        return 0.0; // the surface turns away: it shadows itself
    cosTheta = max(cosTheta, 0.1);

    float texel = dist * SHADOW_TEXEL;
    vec3 origin = worldPos + n * texel;
    vec3 t1 = normalize(cross(l, abs(l.y) < 0.9 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0)));
    vec3 t2 = cross(l, t1);

    float lit = 0.0;
    for (int k = 0; k < SHADOW_TAP_COUNT; ++k) {
        vec3 offset = (t1 * SHADOW_TAPS[k].x + t2 * SHADOW_TAPS[k].y) * texel;
        vec3 tap = origin + offset - l * (dot(n, offset) / cosTheta);
        vec3 ray = tap - lightPos;
        // A unit without a rendered map reads 0, a distance no occluder has.
        float stored = textureLod(map, renderedDirection(ray), 0.0).r;
        lit += stored <= 0.0 || length(ray) <= stored * far ? 1.0 : 0.0;
    }
    return lit / float(SHADOW_TAP_COUNT);
}

// The level gives light k (k < SHADOWED_LIGHTS) the cube map on unit 2 + k;
// a light on any other unit casts no shadow. A software rasteriser runs
// every branch of a fragment shader, taken or not, and reads an array with an
// index it cannot fold per lane: each light's shadow is therefore computed
// with a constant light index and a constant sampler, once per fragment.
const int SHADOWED_LIGHTS = 5;

float shadowFrom(samplerCube map, int k, int count)
{
    float lit = shadowFactor(map, k, worldPosition);
    return k < count && abs(light[k].unit - float(2 + k)) < 0.5 ? lit : 1.0;
}

vec3 surfaceNormal()
{
    vec3 n = normalize(worldNormal);
    if (normalMapping != 1 || material.textureCount != 2)
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
    int count = min(numberoflights, MAX_LIGHTS);
    float shadows[SHADOWED_LIGHTS] = float[SHADOWED_LIGHTS](1.0, 1.0, 1.0, 1.0, 1.0);
    if (shadowMapping == 1) {
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
