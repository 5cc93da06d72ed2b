#version 150 core
// Shadow volumes: world-space positions for the geometry stage, which extrudes them.

uniform mat4 ModelMatrix;

in vec3 in_Position;
in vec3 in_NormalAV;

out vec3 worldPosition;
out vec3 averagedNormal;

void main()
{
    worldPosition = (ModelMatrix * vec4(in_Position, 1.0)).xyz;
    averagedNormal = mat3(ModelMatrix) * in_NormalAV;
}
