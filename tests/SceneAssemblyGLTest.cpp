// The fixed scene as loadScene builds it from the generated data: which object takes part in
// which pass, where each stands, what it draws with, and what it leaves set on the programs.

#include "ScenePassSupport.h"

#include "gl/ProgramCache.h"
#include "scene/Common3DObject.h"

#include <algorithm>
#include <vector>

namespace {

void expectPoint(const Vec4& actual, float x, float y, float z, const char* what)
{
    EXPECT_FLOAT_EQ(actual.x, x) << what;
    EXPECT_FLOAT_EQ(actual.y, y) << what;
    EXPECT_FLOAT_EQ(actual.z, z) << what;
    EXPECT_FLOAT_EQ(actual.w, 1.0f) << what;
}

std::vector<GLuint> usedPrograms;
PFNGLUSEPROGRAMPROC realUseProgram = nullptr;

void GLAPIENTRY recordingUseProgram(GLuint program)
{
    usedPrograms.push_back(program);
    realUseProgram(program);
}

} // namespace

TEST(SceneAssemblyGLTest, LoadSceneFillsTheNineListsPlacesTheObjectsAndSetsTheProgramUniforms)
{
    ensureGLContext();
    ASSERT_EQ(chdir(OKV_DATA_DIR), 0);
    Renderer& renderer = Renderer::instance();
    renderer.initShaders();
    StdoutCapture output;
    renderer.loadScene();
    const std::string printed = output.text();
    EXPECT_NE(printed.find("After loadScene GLErrorCode:0\n"), std::string::npos) << printed;
    EXPECT_EQ(currentProgram, renderer.waterProgram);

    ASSERT_EQ(renderer.screenLists.litObjects.size(), 4u);
    Renderable* temple = renderer.screenLists.litObjects[0];
    Renderable* basin = renderer.screenLists.litObjects[1];
    Renderable* ground = renderer.screenLists.litObjects[2];
    Renderable* water = renderer.screenLists.litObjects[3];
    EXPECT_EQ(water, renderer.water);
    using List = std::vector<Renderable*>;
    const struct {
        const List& list;
        List expected;
        const char* name;
    } memberships[] = {
        {renderer.screenLists.shadowCasters, {temple, basin, ground}, "screen casters"},
        {renderer.screenLists.depthObjects, {temple, basin, ground, water}, "screen depth"},
        {renderer.refractionLists.litObjects, {basin}, "refraction lit"},
        {renderer.refractionLists.shadowCasters, {temple, basin}, "refraction casters"},
        {renderer.refractionLists.depthObjects, {basin}, "refraction depth"},
        {renderer.reflectionLists.litObjects, {temple, basin}, "reflection lit"},
        {renderer.reflectionLists.shadowCasters, {temple, basin, ground}, "reflection casters"},
        {renderer.reflectionLists.depthObjects, {temple, basin}, "reflection depth"},
    };
    for (const auto& membership : memberships)
        EXPECT_EQ(membership.list, membership.expected) << membership.name;

    // Models come normalised into a unit box centred on the origin; these transforms size
    // and place them.
    expectPoint(temple->local * Vec4(0.5f, 0.5f, 0.5f, 1), 50, 100, 50, "temple corner");
    expectPoint(basin->local * Vec4(0, 0, 0, 1), 0, 10, 0, "basin centre");
    expectPoint(water->local * Vec4(1, 0, 1, 1), 30, 13.95f, 30, "water corner");
    expectPoint(ground->local * Vec4(0.5f, 0.5f, -0.5f, 1), 1000, 0.5f, -1000, "ground corner");
    const Mat4& lightLocal = renderer.light.local;
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(lightLocal[i], i == 15 ? 1.0f : i % 5 == 0 ? 50.0f : 0.0f) << "light element " << i;

    // Slots are the addresses of the Renderer's fields, so the objects follow a change of name.
    const struct {
        const Renderable* object;
        const GLuint* program;
        bool closedVolume;
        bool adjacency;
        const Mat4* reflection;
    } objects[] = {
        {temple, &renderer.defaultProgram, true, true, &renderer.reflectionMatrix},
        {basin, &renderer.defaultProgram, false, true, &renderer.reflectionMatrix},
        {ground, &renderer.defaultProgram, false, true, &renderer.reflectionMatrix},
        {water, &renderer.waterProgram, false, true, nullptr},
        {&renderer.light, &renderer.lightProgram, false, false, &renderer.reflectionMatrix},
        {renderer.skyBox, &renderer.skyProgram, false, false, &renderer.skyReflectionMatrix},
    };
    for (const auto& expected : objects) {
        const size_t index = size_t(&expected - objects);
        EXPECT_EQ(expected.object->program, expected.program) << "object " << index;
        EXPECT_EQ(expected.object->closedVolume, expected.closedVolume) << "object " << index;
        EXPECT_EQ(expected.object->reflection.m, expected.reflection ? expected.reflection->m : Mat4().m)
            << "object " << index;
        EXPECT_EQ(expected.object->parent, nullptr) << "object " << index;
        if (expected.object != renderer.skyBox) {
            ASSERT_NE(expected.object->mesh, nullptr) << "object " << index;
            EXPECT_EQ(expected.object->mesh->adjacency, expected.adjacency) << "object " << index;
            EXPECT_GT(expected.object->mesh->indexCount, 0u) << "object " << index;
        }
    }
    for (const Renderable* model : {temple, basin, ground}) {
        const auto* materials = static_cast<const Common3DObject*>(model)->materials;
        ASSERT_NE(materials, nullptr);
        EXPECT_FALSE(materials->empty());
    }
    EXPECT_NE(renderer.skyBox->cubeMap, nullptr);

    // The light rises from below the ground at z = 1000 and sets at z = -1000, once.
    const MotionPath& path = renderer.light.path;
    ASSERT_EQ(path.points.size(), 2u);
    EXPECT_FALSE(path.loop);
    for (size_t i = 0; i < 2; ++i) {
        const PathPoint& point = path.points[i];
        const float sign = i == 0 ? 1.0f : -1.0f;
        expectPoint(point.position, 0, -100, 1000 * sign, "light path point");
        EXPECT_EQ(std::vector<float>({point.tangent.x, point.tangent.y, point.tangent.z, point.tangent.w}),
                  std::vector<float>({sign, sign, 0, 0}));
        EXPECT_EQ(point.outWeight, 1000.0f);
        EXPECT_EQ(point.inWeight, 1000.0f);
    }
    const Vec4 colour = renderer.light.getColor();
    EXPECT_EQ(colour.x + colour.y + colour.z + colour.w, 4.0f);

    // The camera stands at the start of its path, and every program that draws the world
    // already has its view.
    expectPoint(renderer.camera.getPosition(), 30, 20, 0, "eye at time 0");
    const Mat4 camera = renderer.camera.worldMatrix();
    const std::vector<float> view(camera.m.begin(), camera.m.end());
    for (GLuint program : {renderer.lightProgram, renderer.defaultProgram, renderer.shadowVolumeProgram,
                           renderer.miniProgram, renderer.waterProgram})
        EXPECT_EQ(uniformVector(program, "ViewMatrix", 16), view) << "program " << program;
    EXPECT_EQ(uniformInt(renderer.defaultProgram, "texDiffuse"), 0);
    EXPECT_EQ(uniformInt(renderer.defaultProgram, "nomalMap"), 1);
    EXPECT_EQ(uniformInt(renderer.waterProgram, "reflectTexture"), 0);
    EXPECT_EQ(uniformInt(renderer.waterProgram, "refractTexture"), 1);
    EXPECT_EQ(uniformInt(renderer.waterProgram, "bumpTexture"), 2);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(SceneAssemblyGLTest, ModelsDrawWithWhateverProgramTheRendererFieldHolds)
{
    Renderer& renderer = rendererWithScene();
    const GLuint original = renderer.defaultProgram;
    renderer.defaultProgram = renderer.miniProgram;
    releaseProgram(currentProgram);
    usedPrograms.clear();
    realUseProgram = glUseProgram;
    glUseProgram = recordingUseProgram;
    for (int model = 0; model < 3; ++model)
        renderer.screenLists.litObjects[size_t(model)]->draw();
    glUseProgram = realUseProgram;
    renderer.defaultProgram = original;

    // Each model makes its program current and releases it again afterwards.
    ASSERT_FALSE(usedPrograms.empty());
    for (GLuint program : usedPrograms)
        EXPECT_TRUE(program == renderer.miniProgram || program == 0) << "program " << program;
    EXPECT_EQ(std::count(usedPrograms.begin(), usedPrograms.end(), renderer.miniProgram), 3);
}
