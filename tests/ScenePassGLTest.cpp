// Which shadow-volume path each caster takes: robust means "may be open", so only a mesh
// known to be closed, or an object declared closed, is extruded from its lit triangles alone.
// The extrusion also needs to know whether the pass mirrors the scene, which reverses every
// triangle's winding.

#include "ScenePassSupport.h"

#include "scene/Common3DObject.h"

#include <memory>
#include <vector>

namespace {

// One triangle, with or without adjacency (the plain one is the first three indices).
std::unique_ptr<Mesh> triangleMesh(bool adjacency, bool closed)
{
    Vertex corners[3] = {};
    corners[1].position[0] = corners[2].position[1] = 1.0f;
    const GLuint indices[6] = {0, 2, 1, 0, 2, 1};
    auto mesh = std::make_unique<Mesh>();
    StdoutCapture quiet;
    mesh->upload(indices, adjacency ? 6 : 3, corners, 3, adjacency);
    mesh->closed = closed;
    return mesh;
}

int uniformInt(GLuint program, const char* name)
{
    GLint value = 0;
    glGetUniformiv(program, glGetUniformLocation(program, name), &value);
    return value;
}

} // namespace

TEST(ScenePassGLTest, EachCasterIsExtrudedAsClosedOnlyWhenKnownToBeClosedAndKnowsWhetherItIsMirrored)
{
    Renderer& renderer = rendererWithScene();
    // The flags alternate, starting from the program's initial 0, so a caster that got no
    // flag would show its predecessor's.
    const struct {
        bool closedVolume, hasMesh, adjacency, closed;
        int robust;
    } cases[] = {
        {false, false, false, false, 1}, {true, true, false, false, 0}, {false, true, true, false, 1},
        {false, true, true, true, 0},    {false, true, false, true, 1}, {true, false, false, false, 0},
    };
    const std::vector<Renderable*> none;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        const std::unique_ptr<Mesh> mesh = triangleMesh(c.adjacency, c.closed);
        Common3DObject caster;
        caster.closedVolume = c.closedVolume;
        caster.mesh = c.hasMesh ? mesh.get() : nullptr;
        caster.program = &renderer.defaultProgram;
        const bool mirrored = (&c - cases) % 2 == 1;
        // A plain mesh cannot feed the geometry stage's adjacency input: GL refuses that draw.
        const ExpectedGLErrors refused;
        renderer.renderScenePass(GL_BACK, mirrored, none, {&caster}, none);
        EXPECT_EQ(refused.count(), c.hasMesh && !c.adjacency ? 1 : 0);
        glGetError();
        EXPECT_EQ(uniformInt(renderer.shadowVolumeProgram, "robust"), c.robust);
        EXPECT_EQ(uniformInt(renderer.shadowVolumeProgram, "isMirrored"), mirrored ? 1 : 0);
    }
}
