#version 330 core

// The depth pre-pass shares this stage (with depthOnly.frag) and the lit
// pass's vertex arrays, and the lit pass keeps only fragments at exactly the
// depth it left: the attributes' locations agree in both programs. (No
// "invariant": it changes how this stage rounds, and the physics lines that
// lie on surfaces would show it.)
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
layout(location = 3) in vec4 tangent;

uniform mat4 modelMatrix;
uniform mat4 viewMatrix;
uniform mat4 projectionMatrix;

out vec3 worldPosition;
out vec3 worldNormal;
out vec4 worldTangent;
out vec2 texCoord;
flat out vec3 eyePosition;

void main()
{
    vec4 world = modelMatrix * vec4(position, 1.0);
    // Normals need the inverse transpose once the scale is not uniform;
    // tangents lie in the surface and follow the model matrix itself.
    mat3 normalMatrix = transpose(inverse(mat3(modelMatrix)));
    worldPosition = world.xyz;
    worldNormal = normalMatrix * normal;
    worldTangent = vec4(mat3(modelMatrix) * tangent.xyz, tangent.w);
    texCoord = uv;
    // The view matrix is a rotation and a translation: the eye sits at
    // -R^T t, no general inverse needed.
    eyePosition = -transpose(mat3(viewMatrix)) * viewMatrix[3].xyz;
    gl_Position = projectionMatrix * viewMatrix * world;
}
