#version 150 core
// The captured shadow-volume corners, already in clip space as the program's geometry stage
// emitted them.

uniform mat4 ProjectionMatrix;  // the one the corners were projected with

in vec4 clipPosition;

out float worldW;  // 1 for a corner where the volume starts, 0 for one at infinity

void main()
{
    gl_Position = clipPosition;
    // The projection takes an eye-space point (x, y, z, w) to clip z = P[2][2] z + P[3][2] w
    // and clip w = -z, and the rigid view matrix keeps w: this undoes both.
    worldW = (clipPosition.z + ProjectionMatrix[2][2] * clipPosition.w) / ProjectionMatrix[3][2];
}
