#version 330 core

// The depth pre-pass: no discard and no depth write, so the rasteriser tests
// depth before shading. The colour is masked off; it reads every input only
// so that linking keeps PhongCombined.vert whole, as in the lit program, and
// both programs place every fragment at the same depth.
in vec3 worldPosition;
in vec3 worldNormal;
in vec4 worldTangent;
in vec2 texCoord;
flat in vec3 eyePosition;

out vec4 fragColor;

void main()
{
    fragColor = vec4(worldPosition + worldNormal + eyePosition, texCoord.x) + worldTangent;
}
