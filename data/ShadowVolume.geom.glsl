#version 150 core
// Shadow volumes, geometry stage: for depth-fail stencil counting with depth clamping.
//
// Each triangle that takes part closes a volume of its own: a near cap (the triangle), a
// far cap (the triangle projected to infinity away from the light) and a side for every
// edge that is a silhouette. A side shared by two neighbours that take part with the same
// facing would appear twice with opposite windings and cancel out, so it is left out.
// Every face is emitted counter-clockwise seen from outside its volume, in the mesh's own
// winding; in the mirrored pass the mirror reverses all of them alike.
//
// Closed meshes ("robust" 0): only the triangles facing the light take part.
// Open meshes ("robust" 1): every triangle takes part, one facing away as if seen from its
// other side, so that a sheet shadows from both sides and its free edges are closed off.

layout(triangles_adjacency) in;
layout(triangle_strip, max_vertices = 18) out;

uniform mat4 ProjectionMatrix;
uniform mat4 ViewMatrix;
uniform vec3 lightPos;
uniform int isMirrored;  // 1: the mirror reversed the winding of every triangle
uniform int robust;      // 1: the mesh may be open

in vec3 worldPosition[];  // corners at 0, 2, 4; across each edge the neighbour's far corner at 1, 3, 5
in vec3 capPosition[];

mat4 viewProjection;

bool before(vec3 p, vec3 q)
{
    return p.x < q.x || (p.x == q.x && (p.y < q.y || (p.y == q.y && p.z < q.z)));
}

// Whether the triangle a, b, c (in its winding) faces the light. A triangle is judged here
// once for itself and once by each neighbour: starting from the same corner every time
// makes all of them get bit-identical answers, so no silhouette is seen twice or missed.
bool facesLight(vec3 a, vec3 b, vec3 c)
{
    if (before(b, a) && before(b, c)) {
        vec3 first = a;
        a = b;
        b = c;
        c = first;
    } else if (before(c, a) && before(c, b)) {
        vec3 first = a;
        a = c;
        c = b;
        b = first;
    }
    float facing = dot(cross(b - a, c - a), lightPos - a);
    return isMirrored == 1 ? facing < 0.0 : facing > 0.0;
}

// Volumes are never cut by the water plane: what they shadow may lie below it.
void emitNear(int corner)
{
    gl_Position = viewProjection * vec4(capPosition[corner], 1.0);
    gl_ClipDistance[0] = 1.0;
    EmitVertex();
}

// Projective point at infinity in the direction away from the light; depth clamping keeps
// it from being clipped by the far plane.
void emitFar(int corner)
{
    gl_Position = viewProjection * vec4(capPosition[corner] - lightPos, 0.0);
    gl_ClipDistance[0] = 1.0;
    EmitVertex();
}

void main()
{
    viewProjection = ProjectionMatrix * ViewMatrix;
    bool lit = facesLight(worldPosition[0], worldPosition[2], worldPosition[4]);
    if (!lit && robust == 0)
        return;

    // Turned around when it faces away, so that it faces the light as a cap must.
    int second = lit ? 2 : 4;
    int third = lit ? 4 : 2;
    emitNear(0);
    emitNear(second);
    emitNear(third);
    EndPrimitive();
    emitFar(0);
    emitFar(third);
    emitFar(second);
    EndPrimitive();

    for (int edge = 0; edge < 3; ++edge) {
        int from = 2 * edge;
        int to = (from + 2) % 6;
        // The neighbour runs along the shared edge the other way. Across a free edge the
        // far corner is the triangle's own third corner: the "neighbour" is the triangle
        // turned around, which faces the other way, so a free edge is always a silhouette.
        bool neighbourLit = facesLight(worldPosition[from], worldPosition[from + 1], worldPosition[to]);
        if (neighbourLit == lit)
            continue;
        if (!lit) {
            int swap = from;
            from = to;
            to = swap;
        }
        emitNear(from);
        emitFar(from);
        emitNear(to);
        emitFar(to);
        EndPrimitive();
    }
}
