#version 150 core
// Depth pre-pass: position only, with the world height for the cut plane.

uniform mat4 ProjectionMatrix;
uniform mat4 ViewMatrix;
uniform mat4 ModelMatrix;

in vec3 in_Position;

out float worldHeight;

void main()
{
    vec4 world = ModelMatrix * vec4(in_Position, 1.0);
    worldHeight = world.y;
    gl_Position = ProjectionMatrix * ViewMatrix * world;
}
