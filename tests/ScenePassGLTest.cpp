// One scene pass and one frame on the real programs: what each pass draws when its lists are
// empty, which faces count up and down, what the shadow-volume program is told per pass and
// per caster, and the GL state a pass and a frame leave behind.

#include "ScenePassSupport.h"

#include "scene/Common3DObject.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <memory>
#include <vector>

namespace {

// face, stencil fail, depth fail, depth pass
using StencilOperation = std::array<GLenum, 4>;

// What the shadow-volume program received: "robust" and "isMirrored" as last set when each
// caster's "ModelMatrix" arrived, keyed by the matrix's x translation.
struct CasterUniforms {
    int robust, isMirrored;
    float x;
};

std::vector<StencilOperation> stencilOperations;
std::vector<CasterUniforms> casterUniforms;
int lastRobust = -1, lastIsMirrored = -1;
GLuint watchedProgram = 0;

PFNGLSTENCILOPSEPARATEPROC realStencilOpSeparate = nullptr;
PFNGLUNIFORM1IPROC realUniform1i = nullptr;
PFNGLUNIFORMMATRIX4FVPROC realUniformMatrix4fv = nullptr;

void GLAPIENTRY recordStencilOpSeparate(GLenum face, GLenum sfail, GLenum dpfail, GLenum dppass)
{
    stencilOperations.push_back({face, sfail, dpfail, dppass});
    realStencilOpSeparate(face, sfail, dpfail, dppass);
}

// Setting a uniform makes its program current first, so the current program tells whose it is.
GLint currentProgramLocation(const char* name)
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return GLuint(program) == watchedProgram ? glGetUniformLocation(watchedProgram, name) : -2;
}

void GLAPIENTRY recordUniform1i(GLint location, GLint value)
{
    if (location == currentProgramLocation("robust"))
        lastRobust = value;
    if (location == currentProgramLocation("isMirrored"))
        lastIsMirrored = value;
    realUniform1i(location, value);
}

void GLAPIENTRY recordUniformMatrix4fv(GLint location, GLsizei count, GLboolean transpose, const GLfloat* value)
{
    if (location == currentProgramLocation("ModelMatrix"))
        casterUniforms.push_back({lastRobust, lastIsMirrored, value[12]});
    realUniformMatrix4fv(location, count, transpose, value);
}

// Routes the GLEW entry points through the recorders while alive.
class CallRecorder {
public:
    explicit CallRecorder(GLuint shadowVolumeProgram)
    {
        watchedProgram = shadowVolumeProgram;
        stencilOperations.clear();
        casterUniforms.clear();
        realStencilOpSeparate = glStencilOpSeparate;
        realUniform1i = glUniform1i;
        realUniformMatrix4fv = glUniformMatrix4fv;
        glStencilOpSeparate = recordStencilOpSeparate;
        glUniform1i = recordUniform1i;
        glUniformMatrix4fv = recordUniformMatrix4fv;
    }
    ~CallRecorder()
    {
        glStencilOpSeparate = realStencilOpSeparate;
        glUniform1i = realUniform1i;
        glUniformMatrix4fv = realUniformMatrix4fv;
    }
};

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// What every pass restores for the next one.
void expectFixedStateRestored()
{
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_CLAMP));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(integer(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_EQ(integer(GL_DEPTH_FUNC), GL_LEQUAL);
}

// One triangle, with or without adjacency, its flags set as given.
std::unique_ptr<Mesh> triangleMesh(bool adjacency, bool closed)
{
    Vertex vertices[3] = {};
    for (int corner = 0; corner < 3; ++corner) {
        vertices[corner].position[0] = float(corner == 1);
        vertices[corner].position[1] = float(corner == 2);
        vertices[corner].normalAV[2] = 1.0f;
    }
    const GLuint plain[3] = {0, 1, 2};
    const GLuint withNeighbours[6] = {0, 2, 1, 0, 2, 1};
    auto mesh = std::make_unique<Mesh>();
    StdoutCapture quiet;
    mesh->upload(adjacency ? withNeighbours : plain, adjacency ? 6 : 3, vertices, 3, adjacency);
    mesh->closed = closed;
    return mesh;
}

} // namespace

TEST(ScenePassGLTest, WithEmptyListsThePassDrawsOnlySkyAndLightAndWritesNoDepth)
{
    Renderer& renderer = rendererWithScene();
    // The sphere of radius 25 around the origin fills the middle of the first view.
    renderer.light.local = Mat4();
    scale(renderer.light.local, 50, 50, 50, Global);
    const std::vector<Renderable*> none;
    renderer.renderScenePass(GL_BACK, false, none, none, none);
    glFinish();

    glReadBuffer(GL_BACK);
    const std::vector<unsigned char> centre = readPixels(400, 300, 1, 1);
    EXPECT_EQ(centre, (std::vector<unsigned char>{255, 255, 255, 255})) << "light colour (1, 1, 1, 1)";
    const std::vector<unsigned char> corner = readPixels(5, 595, 1, 1);
    EXPECT_GT(corner[0] + corner[1] + corner[2], 100) << "sky, not the cleared black";
    EXPECT_LT(corner[0] + corner[1] + corner[2], 3 * 255) << "sky, not the light";

    std::vector<float> depth(800 * 600);
    glReadPixels(0, 0, 800, 600, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    EXPECT_EQ(*std::min_element(depth.begin(), depth.end()), 1.0f);
    std::vector<unsigned char> stencil(800 * 600);
    glReadPixels(0, 0, 800, 600, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
    EXPECT_EQ(*std::max_element(stencil.begin(), stencil.end()), 0);

    expectFixedStateRestored();
    EXPECT_EQ(integer(GL_DRAW_BUFFER), GL_BACK);
    EXPECT_EQ(integer(GL_STENCIL_FUNC), GL_EQUAL);
    EXPECT_EQ(integer(GL_STENCIL_REF), 0);
    EXPECT_EQ(integer(GL_STENCIL_VALUE_MASK) & 0xFF, 0xFF);
    EXPECT_EQ(integer(GL_STENCIL_BACK_PASS_DEPTH_FAIL), GL_KEEP);
    EXPECT_EQ(integer(GL_STENCIL_PASS_DEPTH_FAIL), GL_KEEP);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(ScenePassGLTest, MirroringSwapsTheFacesAndEachCasterGetsItsRobustFlag)
{
    Renderer& renderer = rendererWithScene();
    renderer.light.animate(0.1f);
    const Vec4 light = renderer.light.getWorldPosition();
    const Vec4 mirroredLight = renderer.reflectionMatrix * light;

    // Each caster stands at its own x, so its uniforms can be told apart. Robust means "may
    // be open": only a mesh known to be closed, or an object declared closed, is not.
    struct Caster {
        bool closedVolume, hasMesh, adjacency, closed;
        int robust;
    };
    const Caster cases[] = {
        {true, true, false, false, 0},  {false, true, true, true, 0},  {false, true, true, false, 1},
        {false, false, false, false, 1}, {false, true, false, true, 1}, {true, false, false, false, 0},
    };
    std::vector<Renderable*> casters;
    std::vector<std::unique_ptr<Common3DObject>> objects;
    std::vector<std::unique_ptr<Mesh>> meshes;
    for (const Caster& c : cases) {
        auto* object = objects.emplace_back(std::make_unique<Common3DObject>()).get();
        object->closedVolume = c.closedVolume;
        object->mesh = c.hasMesh ? meshes.emplace_back(triangleMesh(c.adjacency, c.closed)).get() : nullptr;
        translate(object->local, float(casters.size()), 0, 0, Global);
        object->program = &renderer.defaultProgram;
        casters.push_back(object);
    }
    const std::vector<Renderable*> none;

    for (const bool mirrored : {true, false}) {
        SCOPED_TRACE(mirrored ? "mirrored" : "not mirrored");
        const GLenum increment = mirrored ? GL_FRONT : GL_BACK;
        const GLenum decrement = mirrored ? GL_BACK : GL_FRONT;
        {
            CallRecorder recorder(renderer.shadowVolumeProgram);
            StdoutCapture quiet;
            renderer.renderScenePass(GL_BACK, mirrored, none, casters, none);
        }
        // A plain mesh cannot feed the geometry stage's adjacency input: GL refuses that draw.
        glGetError();

        const std::vector<StencilOperation> expected = {{increment, GL_KEEP, GL_INCR_WRAP, GL_KEEP},
                                                        {decrement, GL_KEEP, GL_DECR_WRAP, GL_KEEP},
                                                        {GL_FRONT_AND_BACK, GL_KEEP, GL_KEEP, GL_KEEP}};
        EXPECT_EQ(stencilOperations, expected);
        EXPECT_EQ(integer(GL_CULL_FACE_MODE), GLint(mirrored ? GL_FRONT : GL_BACK));
        EXPECT_EQ(uniformInt(renderer.shadowVolumeProgram, "isMirrored"), mirrored ? 1 : 0);
        ASSERT_EQ(casterUniforms.size(), std::size(cases));
        for (size_t i = 0; i < casterUniforms.size(); ++i) {
            EXPECT_EQ(casterUniforms[i].x, float(i)) << "caster " << i;
            EXPECT_EQ(casterUniforms[i].robust, cases[i].robust) << "caster " << i;
            EXPECT_EQ(casterUniforms[i].isMirrored, mirrored ? 1 : 0) << "caster " << i;
            EXPECT_EQ(casters[i]->reflected, mirrored) << "caster " << i;
        }
        EXPECT_EQ(renderer.light.reflected, mirrored);
        EXPECT_EQ(renderer.skyBox->reflected, mirrored);

        // Both programs light with the light of this pass: mirrored in the reflection pass.
        const Vec4& p = mirrored ? mirroredLight : light;
        for (GLuint program : {renderer.defaultProgram, renderer.shadowVolumeProgram})
            EXPECT_EQ(uniformVector(program, "lightPos", 3), (std::vector<float>{p.x, p.y, p.z})) << program;
        expectFixedStateRestored();
    }
    EXPECT_NE(light.y, mirroredLight.y);
}

TEST(ScenePassGLTest, AFrameMirrorsOnlyTheReflectionPassAndLeavesTheScreenStateBehind)
{
    Renderer& renderer = rendererWithScene();
    {
        CallRecorder recorder(renderer.shadowVolumeProgram);
        renderFrameAt(renderer, 2.0f);
    }
    // Refraction, reflection, screen: the increment face of each pass, and the mirror flag
    // each of their casters (two, three, three) was extruded with.
    ASSERT_EQ(stencilOperations.size(), 9u);
    EXPECT_EQ(stencilOperations[0][0], GLenum(GL_BACK));
    EXPECT_EQ(stencilOperations[3][0], GLenum(GL_FRONT));
    EXPECT_EQ(stencilOperations[6][0], GLenum(GL_BACK));
    std::vector<int> isMirrored;
    for (const CasterUniforms& caster : casterUniforms)
        isMirrored.push_back(caster.isMirrored);
    EXPECT_EQ(isMirrored, (std::vector<int>{0, 0, 1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(casterUniforms[0].robust, 0) << "the temple is declared closed";

    EXPECT_EQ(uniformInt(renderer.defaultProgram, "cutPlaneMode"), 0);
    EXPECT_EQ(uniformInt(renderer.miniProgram, "cutPlaneMode"), 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 800, 600}));
    EXPECT_EQ(integer(GL_DRAW_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(integer(GL_READ_FRAMEBUFFER_BINDING), 0);
    EXPECT_EQ(integer(GL_CULL_FACE_MODE), GL_BACK);
    expectFixedStateRestored();
    // Between passes the lit programs are left in their ambient-only setting.
    EXPECT_EQ(uniformFloat(renderer.defaultProgram, "ambientPower"), 1.0f);
    EXPECT_EQ(uniformVector(renderer.defaultProgram, "lightColor", 4), std::vector<float>(4, 0.0f));
    EXPECT_EQ(uniformVector(renderer.waterProgram, "lightColor", 4), std::vector<float>(4, 0.0f));
    EXPECT_FALSE(renderer.light.reflected);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
