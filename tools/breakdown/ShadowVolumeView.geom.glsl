#version 150 core
// Keeps the captured triangles of one part of the volumes, or all of them, told by their
// corners: all where the volume starts make the near cap, all at infinity the far cap, a mix
// a silhouette side.

layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;

uniform int part;  // 0: the caps only; 1: the sides only; 2: every face

in float worldW[];

void main()
{
    int finite = 0;
    for (int corner = 0; corner < 3; ++corner)
        finite += worldW[corner] > 0.5 ? 1 : 0;
    bool side = finite == 1 || finite == 2;
    if (part != 2 && side != (part == 1))
        return;
    for (int corner = 0; corner < 3; ++corner) {
        gl_Position = gl_in[corner].gl_Position;
        gl_ClipDistance[0] = 1.0;  // the program's fixed state clips on distance 0
        EmitVertex();
    }
    EndPrimitive();
}
