#version 150 core
// Shadow volumes: placeholder extrusion of the light-facing triangles' caps.

layout(triangles_adjacency) in;
layout(triangle_strip, max_vertices = 6) out;

uniform mat4 ProjectionMatrix;
uniform mat4 ViewMatrix;
uniform vec3 lightPos;
uniform int isMirrored;
uniform int robust;

in vec3 worldPosition[];
in vec3 averagedNormal[];

void main()
{
    mat4 viewProjection = ProjectionMatrix * ViewMatrix;
    vec3 a = worldPosition[0];
    vec3 b = worldPosition[2];
    vec3 c = worldPosition[4];
    float facing = dot(cross(b - a, c - a), lightPos - a) + 0.0 * float(isMirrored + robust) + 0.0 * averagedNormal[0].x;
    if (facing <= 0.0)
        return;
    for (int i = 0; i < 6; i += 2) {
        gl_Position = viewProjection * vec4(worldPosition[i], 1.0);
        EmitVertex();
    }
    EndPrimitive();
}
