#pragma once

// One interleaved vertex record: 20 tightly packed floats, 80 bytes. The offsets below are
// the attribute offsets VertexArrayObject::init records, one buffer with one stride for all.
struct Vertex {
    float position[3];   // offset  0, location 0 "in_Position"
    float color[3];      // offset 12, location 1 "in_Color"
    float normal[3];     // offset 24, location 2 "in_Normal"
    float normalAV[3];   // offset 36, location 3 "in_NormalAV": sum of the corner normals at this raw position
    float texCoord[2];   // offset 48, location 4 "in_TextCord"
    float tangent[3];    // offset 56, location 5 "in_Tangent"
    float bitangent[3];  // offset 68, location 6 "in_Bitangent"
};

static_assert(sizeof(Vertex) == 80, "the vertex layout is fixed at 80 bytes");
