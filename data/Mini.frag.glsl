#version 150 core
// Depth pre-pass: writes depth only (no colour buffer is selected), honouring the cut plane.

uniform float cutPlaneHeight;
uniform int cutPlaneMode;  // -1: keep only what lies below the cut plane; 0: keep all

in float worldHeight;

void main()
{
    if (cutPlaneMode == -1 && worldHeight > cutPlaneHeight)
        discard;
}
