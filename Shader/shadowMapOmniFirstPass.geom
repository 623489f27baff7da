#version 330 core

layout(triangles) in;
layout(triangle_strip, max_vertices = 18) out;

uniform mat4 cm_mat[6];

out vec4 worldPosition;

void main()
{
    for (int face = 0; face < 6; ++face) {
        gl_Layer = face;
        for (int corner = 0; corner < 3; ++corner) {
            worldPosition = gl_in[corner].gl_Position;
            gl_Position = cm_mat[face] * worldPosition;
            EmitVertex();
        }
        EndPrimitive();
    }
}
