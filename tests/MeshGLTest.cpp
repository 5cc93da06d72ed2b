#include "GLProbes.h"
#include "MeshDrawing.h"

#include "gl/Mesh.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>

TEST(MeshGLTest, TooLargeMeshIsReportedAndNothingIsUploaded)
{
    ensureGLContext();
    const Vertex oneVertex[1] = {};
    const GLuint threeIndices[3] = {};
    // Each pointer is short or null: reading it for these counts would crash. 80 times the first
    // vertex count wraps to 64 in 32 bits; the index count is the first above the signed range.
    const struct {
        GLuint vertexCount, indexCount;
        const GLuint* indices;
        const char* printed;
    } cases[] = {{53687092, 3, threeIndices, "(53687092 vertices, 3 indices)"},
                 {1, 536870912, nullptr, "(1 vertices, 536870912 indices)"}};
    for (const auto& tooLarge : cases) {
        Mesh mesh;
        StdoutCapture output;
        mesh.upload(tooLarge.indices, tooLarge.indexCount, oneVertex, tooLarge.vertexCount, true);
        EXPECT_EQ(output.text(), std::string("Mesh::upload(): mesh too large ") + tooLarge.printed +
                                     ", nothing uploaded\n");
        EXPECT_EQ(mesh.vertexArray.id + mesh.vertexBuffer.id + mesh.indexBuffer.id + mesh.indexCount, 0u);
        EXPECT_FALSE(mesh.adjacency);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(MeshGLTest, DrawPaintsExactlyTheRequestedIndexRange)
{
    ensureGLContext();
    OffscreenTarget target;
    // A 3 x 3 grid over the whole target; two triangles per quadrant, quadrants in the order
    // bottom left, bottom right, top left, top right.
    std::vector<Vertex> grid;
    for (float y : {-1.0f, 0.0f, 1.0f})
        for (float x : {-1.0f, 0.0f, 1.0f})
            grid.push_back(vertexAt(x, y));
    std::vector<GLuint> indices;
    for (GLuint corner : {0u, 1u, 3u, 4u})
        indices.insert(indices.end(), {corner, corner + 1, corner + 4, corner, corner + 4, corner + 3});
    Mesh mesh;
    mesh.upload(indices.data(), 24, grid.data(), 9, false);

    const int centres[4][2] = {{16, 16}, {48, 16}, {16, 48}, {48, 48}};
    const struct {
        GLuint firstIndex, count;
        bool painted[4];
    } ranges[] = {{0, 24, {1, 1, 1, 1}}, {6, 12, {0, 1, 1, 0}}, {18, 6, {0, 0, 0, 1}}, {0, 6, {1, 0, 0, 0}}};
    for (const auto& range : ranges) {
        clearTarget();
        mesh.draw(range.firstIndex, range.count);
        for (int quadrant = 0; quadrant < 4; ++quadrant)
            EXPECT_EQ(isPainted(centres[quadrant][0], centres[quadrant][1]), range.painted[quadrant])
                << "draw(" << range.firstIndex << ", " << range.count << ") quadrant " << quadrant;
        EXPECT_EQ(boundName(GL_VERTEX_ARRAY_BINDING), mesh.vertexArray.id);
    }
    VertexArrayObject::unbind();
}

TEST(MeshGLTest, AdjacencyMeshDrawsEachSixIndicesAsTheTriangleOfItsEvenOnes)
{
    ensureGLContext();
    OffscreenTarget target;
    // The bottom-left quadrant as two triangles, the lower right one first; every neighbour index
    // names the far corner, so reading them as plain triangles would paint (40, 20) and miss (8, 24).
    const Vertex vertices[] = {vertexAt(-1, -1), vertexAt(0, -1), vertexAt(0, 0), vertexAt(-1, 0), vertexAt(1, 1)};
    const GLuint indices[] = {0, 4, 1, 4, 2, 4, 0, 4, 2, 4, 3, 4};
    Mesh mesh;
    mesh.upload(indices, 12, vertices, 5, true);
    for (auto [firstIndex, count, lowerRight, upperLeft] : {std::tuple{0u, 12u, true, true}, {6u, 6u, false, true}}) {
        clearTarget();
        mesh.draw(firstIndex, count);
        EXPECT_EQ(std::vector<bool>({isPainted(24, 8), isPainted(8, 24), isPainted(40, 20)}),
                  std::vector<bool>({lowerRight, upperLeft, false}))
            << firstIndex;
    }
    VertexArrayObject::unbind();
}
