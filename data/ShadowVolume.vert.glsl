#version 150 core
// Shadow volumes, vertex stage: world positions for the geometry stage, which extrudes them.

uniform mat4 ModelMatrix;
uniform vec3 lightPos;

in vec3 in_Position;
in vec3 in_NormalAV;  // sum of the normals of every corner at this position

out vec3 worldPosition;  // the corner as drawn: decides which triangles face the light
out vec3 capPosition;    // where the volume starts: the corner moved a little away from the light

// The near cap would otherwise lie exactly on the surface it starts from and fight with it
// in the depth test. Moving the corner along its own light ray keeps it on every side of
// the volume that passes through it, so silhouettes stay exact and the volume stays
// closed. The step is lengthened where the light grazes the surface, so that the cap still
// leaves the surface by at least capClearance along the averaged normal.
const float capClearance = 0.05;  // world units
const float maxLengthening = 4.0;

void main()
{
    worldPosition = (ModelMatrix * vec4(in_Position, 1.0)).xyz;
    vec3 away = normalize(worldPosition - lightPos);
    vec3 outward = mat3(ModelMatrix) * in_NormalAV;
    float outwardLength = length(outward);
    float slope = outwardLength > 1e-6 ? abs(dot(outward / outwardLength, away)) : 1.0;
    capPosition = worldPosition + away * (capClearance / max(slope, 1.0 / maxLengthening));
}
