// Mesh uploads and draws: a square off-screen target, a program that paints every fragment
// one colour, and vertices that carry nothing but a position.

#include "GLTestSupport.h"

#include "gl/FrameBuffer.h"
#include "gl/Mesh.h"
#include "gl/ProgramCache.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

Vertex vertexAt(float x, float y)
{
    Vertex vertex{};
    vertex.position[0] = x;
    vertex.position[1] = y;
    return vertex;
}

// Positions pass through unchanged, so vertices are given in normalised device coordinates.
// Made current.
void usePaintingProgram()
{
    static const GLuint program = [] {
        const GLuint linked = glCreateProgram();
        for (auto [stage, source] :
             {std::pair{GL_VERTEX_SHADER, "#version 150 core\nin vec3 in_Position;\n"
                                          "void main() { gl_Position = vec4(in_Position, 1.0); }\n"},
              std::pair{GL_FRAGMENT_SHADER, "#version 150 core\nout vec4 colour;\n"
                                            "void main() { colour = vec4(1.0, 0.0, 1.0, 1.0); }\n"}}) {
            const GLuint shader = glCreateShader(stage);
            glShaderSource(shader, 1, &source, nullptr);
            glCompileShader(shader);
            glAttachShader(linked, shader);
        }
        glBindAttribLocation(linked, 0, "in_Position");
        glLinkProgram(linked);
        return linked;
    }();
    useProgram(program);
}

// Clears to zeros everywhere, so that painted pixels and stencil values stand out.
void clearTarget()
{
    glClearColor(0, 0, 0, 0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

// Whether the painting program's colour is at a pixel of the bound read framebuffer.
bool isPainted(int x, int y)
{
    return readPixels(x, y, 1, 1) == std::vector<unsigned char>{255, 0, 255, 255};
}

// A 64 x 64 RGBA texture attached to a FrameBuffer, left bound and cleared, the viewport on it.
struct OffscreenTarget {
    Texture texture;
    FrameBuffer frameBuffer;

    OffscreenTarget()
    {
        texture.create(GL_RGBA, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
        frameBuffer.bind();
        frameBuffer.attachTexture(&texture);
        glViewport(0, 0, 64, 64);
        clearTarget();
        usePaintingProgram();
    }
};

}  // namespace

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
        EXPECT_EQ(output.text(),
                  std::string("Mesh::upload(): mesh too large ") + tooLarge.printed + ", nothing uploaded\n");
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
