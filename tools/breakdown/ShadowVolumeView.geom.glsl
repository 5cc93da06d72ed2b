#version 150 core
// Tells each captured triangle's part of its volume by its corners: all where the volume
// starts makes the near cap, all at infinity the far cap, a mix a silhouette side.

layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;

const int nearCap = 0;
const int farCap = 1;
const int side = 2;

in float worldW[];

flat out int part;

void main()
{
    int finite = 0;
    for (int corner = 0; corner < 3; ++corner)
        finite += worldW[corner] > 0.5 ? 1 : 0;
    int kind = finite == 3 ? nearCap : finite == 0 ? farCap : side;
    for (int corner = 0; corner < 3; ++corner) {
        gl_Position = gl_in[corner].gl_Position;
        gl_ClipDistance[0] = 1.0;  // the program's fixed state clips on distance 0
        part = kind;
        EmitVertex();
    }
    EndPrimitive();
}
