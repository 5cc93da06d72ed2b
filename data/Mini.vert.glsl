#version 150 core
// Depth pre-pass: position only, cut at the water plane in the off-screen passes.

uniform mat4 ProjectionMatrix;
uniform mat4 ViewMatrix;
uniform mat4 ModelMatrix;
uniform float cutPlaneHeight;
uniform int cutPlaneMode;  // -1: keep only what lies below the cut plane; 0: keep everything

in vec3 in_Position;

void main()
{
    vec4 world = ModelMatrix * vec4(in_Position, 1.0);
    gl_Position = ProjectionMatrix * ViewMatrix * world;
    // Clipped here rather than discarded per fragment, which would cost the early depth test.
    gl_ClipDistance[0] = cutPlaneMode == -1 ? cutPlaneHeight - world.y : 1.0;
}
