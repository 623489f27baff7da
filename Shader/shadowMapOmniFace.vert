#version 330 core

// One face of a light's depth cube map at a time, for contexts without a
// geometry stage (WebGL 2): the same positions shadowMapOmniFirstPass.geom
// sends to each face, for shadowMapOmniFirstPass.frag.
in vec3 vp;

uniform mat4 M;
uniform mat4 face_mat;

out vec4 worldPosition;

void main()
{
    worldPosition = M * vec4(vp, 1.0);
    gl_Position = face_mat * worldPosition;
}
