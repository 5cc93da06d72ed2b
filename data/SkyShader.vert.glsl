#version 150 core
// The sky cube: "ModelMatrix" is the camera rotation alone, so the sky never moves.

uniform mat4 ProjectionMatrix;
uniform mat4 ModelMatrix;

in vec3 in_Position;

out vec3 direction;

void main()
{
    direction = in_Position;
    gl_Position = ProjectionMatrix * ModelMatrix * vec4(in_Position, 1.0);
    gl_ClipDistance[0] = 1.0;  // never cut by the water plane
}
