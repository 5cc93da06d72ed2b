// One scene pass and one frame on the real programs: what each pass draws when its lists are
// empty, what the shadow-volume program is told per pass and per caster, and the GL state a
// pass and a frame leave behind. Which faces count up and down, the frame trace shows.

#include "MeshDrawing.h"
#include "ScenePassSupport.h"

#include "scene/Common3DObject.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// What every pass restores for the next one.
void expectFixedStateRestored()
{
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_CLAMP));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(boundName(GL_DEPTH_WRITEMASK), GLuint(GL_TRUE));
    EXPECT_EQ(boundName(GL_DEPTH_FUNC), GLuint(GL_LEQUAL));
}

// One triangle, with or without adjacency (the plain one is the first three indices).
std::unique_ptr<Mesh> triangleMesh(bool adjacency, bool closed)
{
    const Vertex corners[3] = {vertexAt(0, 0), vertexAt(1, 0), vertexAt(0, 1)};
    const GLuint indices[6] = {0, 2, 1, 0, 2, 1};
    auto mesh = std::make_unique<Mesh>();
    StdoutCapture quiet;
    mesh->upload(indices, adjacency ? 6 : 3, corners, 3, adjacency);
    mesh->closed = closed;
    return mesh;
}

} // namespace

TEST(ScenePassGLTest, WithEmptyListsAPassDrawsSkyAndLightWithTheFacesAndLightOfItsMirroring)
{
    Renderer& renderer = rendererWithScene();
    // The sphere of radius 25 around the origin fills the middle of the first view.
    renderer.light.local = Mat4();
    scale(renderer.light.local, 50, 50, 50, Global);
    const Vec4 light = renderer.light.getWorldPosition(), mirroredLight = renderer.reflectionMatrix * light;
    EXPECT_NE(light.y, mirroredLight.y);
    const std::vector<Renderable*> none;
    for (const bool mirrored : {true, false}) {
        SCOPED_TRACE(mirrored ? "mirrored" : "not mirrored");
        renderer.renderScenePass(GL_BACK, mirrored, none, none, none);
        EXPECT_EQ(boundName(GL_CULL_FACE_MODE), GLuint(mirrored ? GL_FRONT : GL_BACK));
        EXPECT_EQ(uniformInt(renderer.shadowVolumeProgram, "isMirrored"), mirrored ? 1 : 0);
        EXPECT_EQ(renderer.skyBox->reflected, mirrored);
        // Both programs light with the light of this pass: mirrored in the reflection pass.
        const Vec4& p = mirrored ? mirroredLight : light;
        for (GLuint program : {renderer.defaultProgram, renderer.shadowVolumeProgram})
            EXPECT_EQ(uniformVector(program, "lightPos", 3), (std::vector<float>{p.x, p.y, p.z})) << program;
        expectFixedStateRestored();
    }

    glFinish();
    glReadBuffer(GL_BACK);
    EXPECT_EQ(readPixels(400, 300, 1, 1), (std::vector<unsigned char>{255, 255, 255, 255})) << "light colour";
    const std::vector<unsigned char> corner = readPixels(5, 595, 1, 1);
    EXPECT_GT(corner[0] + corner[1] + corner[2], 100) << "sky, not the cleared black";
    EXPECT_LT(corner[0] + corner[1] + corner[2], 3 * 255) << "sky, not the light";
    std::vector<float> depth(800 * 600);
    glReadPixels(0, 0, 800, 600, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    EXPECT_EQ(*std::min_element(depth.begin(), depth.end()), 1.0f) << "no depth written";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Robust means "may be open": only a mesh known to be closed, or an object declared closed,
// is extruded from its lit triangles alone.
TEST(ScenePassGLTest, EachCasterIsExtrudedAsClosedOnlyWhenKnownToBeClosed)
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
        renderer.renderScenePass(GL_BACK, false, none, {&caster}, none);
        // A plain mesh cannot feed the geometry stage's adjacency input: GL refuses that draw.
        glGetError();
        EXPECT_EQ(uniformInt(renderer.shadowVolumeProgram, "robust"), c.robust);
    }
}

TEST(ScenePassGLTest, AFrameLeavesTheScreenPassStateBehind)
{
    Renderer& renderer = rendererWithScene();
    renderFrameAt(renderer, 2.0f);
    EXPECT_EQ(uniformInt(renderer.defaultProgram, "cutPlaneMode"), 0);
    EXPECT_EQ(uniformInt(renderer.miniProgram, "cutPlaneMode"), 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 800, 600}));
    EXPECT_EQ(boundName(GL_DRAW_FRAMEBUFFER_BINDING), 0u);
    EXPECT_EQ(boundName(GL_READ_FRAMEBUFFER_BINDING), 0u);
    EXPECT_EQ(boundName(GL_CULL_FACE_MODE), GLuint(GL_BACK));
    expectFixedStateRestored();
    // Between passes the lit programs are left in their ambient-only setting.
    EXPECT_EQ(uniformFloat(renderer.defaultProgram, "ambientPower"), 1.0f);
    EXPECT_EQ(uniformVector(renderer.defaultProgram, "lightColor", 4), std::vector<float>(4, 0.0f));
    EXPECT_EQ(uniformVector(renderer.waterProgram, "lightColor", 4), std::vector<float>(4, 0.0f));
    EXPECT_FALSE(renderer.light.reflected);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
