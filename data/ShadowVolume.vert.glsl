#version 150 core
// Shadow volumes, vertex stage: world positions for the geometry stage, which extrudes them.

uniform mat4 ModelMatrix;

in vec3 in_Position;
in vec3 in_NormalAV;  // sum of the normals of every corner at this position

out vec3 worldPosition;  // the corner as drawn: decides which triangles face the light
out vec3 capPosition;    // where the volume starts: the corner pulled slightly into the solid

// The near cap would otherwise lie exactly on the surface it starts from and fight with
// it in the depth test. Pulling every corner inwards along the averaged normal keeps the
// volume closed, since corners that share a position share the averaged normal too.
const float capInset = 0.1;  // world units

void main()
{
    worldPosition = (ModelMatrix * vec4(in_Position, 1.0)).xyz;
    vec3 outward = mat3(ModelMatrix) * in_NormalAV;
    float length = length(outward);
    capPosition = length > 1e-6 ? worldPosition - outward * (capInset / length) : worldPosition;
}
