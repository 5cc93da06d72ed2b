// Which shadow-volume path each caster takes: robust means "may be open", so only a mesh
// known to be closed, or an object declared closed, is extruded from its lit triangles alone.
// The extrusion also needs to know whether the pass mirrors the scene, which reverses every
// triangle's winding.

#include "ScenePassSupport.h"

#include "gl/Uniforms.h"
#include "scene/Common3DObject.h"
#include "scene/Water.h"

#include <algorithm>
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

}  // namespace

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

// Texture 0 has no image: some drivers report its size as 0, Mesa samples a 1 x 1 black
// stand-in. Either way the surface must get the untextured albedo and its own normal.
TEST(ScenePassGLTest, AMaterialWithoutTexturesIsLitWithTheUntexturedAlbedoAndTheSurfaceNormal)
{
    Renderer& renderer = rendererWithScene();
    // A square facing the eye at the origin, 5 in front of it, with its frame along the axes.
    Vertex corners[4] = {};
    for (int k = 0; k < 4; ++k) {
        corners[k].position[0] = k % 2 ? 2.0f : -2.0f;
        corners[k].position[1] = k / 2 ? 2.0f : -2.0f;
        corners[k].position[2] = -5.0f;
        corners[k].normal[2] = corners[k].tangent[0] = corners[k].bitangent[1] = 1.0f;
    }
    const GLuint indices[6] = {0, 1, 2, 2, 1, 3};
    Mesh mesh;
    Material untextured;
    untextured.indexCount = 6;
    std::vector<Material*> materials = {&untextured};
    {
        StdoutCapture quiet;
        mesh.upload(indices, 6, corners, 4, false);
    }
    Common3DObject square;
    square.mesh = &mesh;
    square.materials = &materials;
    square.program = &renderer.defaultProgram;

    // Direct light only, from straight in front: a flat normal takes all of it.
    setUniform(renderer.defaultProgram, "ViewMatrix", Mat4());
    setUniform3(renderer.defaultProgram, "camWorldPos", Vec4(0, 0, 0, 1));
    setUniform3(renderer.defaultProgram, "lightPos", Vec4(0, 0, 10, 1));
    setUniform4(renderer.defaultProgram, "lightColor", Vec4(1, 1, 1, 1));
    setUniform(renderer.defaultProgram, "ambientPower", 0.0f);
    glDrawBuffer(GL_BACK);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    square.draw();
    glFinish();
    const std::vector<unsigned char> centre = readPixels(400, 300, 1, 1);
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_NEAR(centre[channel], 0.7 * 255, 2) << "channel " << channel;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The light's glint on the water: the highlight that the waves throw back towards the eye while
// the light shines on the surface, and none while the light is below it.
TEST(ScenePassGLTest, TheWaterGlintsWhereTheLightShinesOnItAndNotWhileTheLightIsBelowIt)
{
    Renderer& renderer = rendererWithScene();
    // The eye above the pool looks down at its centre at 45 degrees, and the light stands as
    // high on the other side: the centre of the picture mirrors the light to the eye, and the
    // waves scatter the highlight around it.
    const Vec4 centre(0, Water::surfaceHeight, 0, 1);
    const Vec4 eye = centre + Vec4(0, 20, 20, 0);
    Mat4 view;
    lookAt(view, eye, centre, Vec4(0, 1, 0, 0));
    setUniform(renderer.waterProgram, "ViewMatrix", view);
    setUniform3(renderer.waterProgram, "camWorldPos", eye);
    // The light's colour set is the water's lit draw: it adds the glint and nothing else (the
    // reflection and refraction come with the light's colour 0, in the ambient draw). Without
    // the glint, the picture of the light above the water would be as black as the one below.
    setUniform4(renderer.waterProgram, "lightColor", renderer.light.getColor());

    // The pixels brighter than half and the pixels not black, with the light at a height above
    // the surface.
    const auto drawWithTheLightAt = [&](float height) {
        setUniform3(renderer.waterProgram, "lightWorldPos", centre + Vec4(0, height, -20, 0));
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer.water->draw();
        glFinish();
        const std::vector<unsigned char> pixels = readPixels(0, 0, renderer.windowWidth, renderer.windowHeight);
        std::pair<int, int> counts;
        for (size_t at = 0; at < pixels.size(); at += 4) {
            const unsigned char level = std::max({pixels[at], pixels[at + 1], pixels[at + 2]});
            counts.first += level > 127;
            counts.second += level > 0;
        }
        return counts;
    };
    EXPECT_GE(drawWithTheLightAt(20.0f).first, 100) << "pixels brighter than half, the light above the water";
    EXPECT_EQ(drawWithTheLightAt(-5.0f).second, 0) << "pixels not black, the light below the water";
}
