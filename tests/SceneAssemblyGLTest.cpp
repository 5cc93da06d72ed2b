// The fixed scene as loadScene builds it from the generated data: which object takes part in
// which pass and what it draws with. Where each stands and how it looks, the README's
// pictures show, which the capture test compares with the current program's frames.

#include "ScenePassSupport.h"

#include "gl/ProgramCache.h"
#include "scene/Common3DObject.h"

#include <vector>

TEST(SceneAssemblyGLTest, LoadSceneFillsTheNineListsAndGivesEveryObjectItsProgramMeshAndTextures)
{
    ensureGLContext();
    ASSERT_EQ(chdir(OKV_DATA_DIR), 0);
    Renderer& renderer = Renderer::instance();
    renderer.initShaders();
    StdoutCapture output;
    renderer.loadScene();
    const std::string printed = output.text();
    EXPECT_NE(printed.find("After loadScene GLErrorCode:0\n"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("Couldn't"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("arn't"), std::string::npos) << printed;
    EXPECT_EQ(currentProgram, renderer.waterProgram);

    ASSERT_EQ(renderer.screenLists.litObjects.size(), 4u);
    using List = std::vector<Renderable*>;
    const List& lit = renderer.screenLists.litObjects;
    Renderable *temple = lit[0], *basin = lit[1], *ground = lit[2], *water = lit[3];
    EXPECT_EQ(water, renderer.water);
    EXPECT_EQ(renderer.screenLists.shadowCasters, (List{temple, basin, ground}));
    EXPECT_EQ(renderer.screenLists.depthObjects, (List{temple, basin, ground, water}));
    EXPECT_EQ(renderer.refractionLists.litObjects, (List{basin}));
    EXPECT_EQ(renderer.refractionLists.shadowCasters, (List{temple, basin}));
    EXPECT_EQ(renderer.refractionLists.depthObjects, (List{basin}));
    EXPECT_EQ(renderer.reflectionLists.litObjects, (List{temple, basin}));
    EXPECT_EQ(renderer.reflectionLists.shadowCasters, (List{temple, basin, ground}));
    EXPECT_EQ(renderer.reflectionLists.depthObjects, (List{temple, basin}));

    // Slots are the addresses of the Renderer's fields, so the objects follow a change of name.
    const Mat4 none;
    // closedMesh: no free edge, so the shadow pass may extrude it from its lit triangles alone.
    const struct {
        const Renderable* object;
        const GLuint* program;
        bool closedVolume, adjacency, closedMesh;
        const Mat4& reflection;
    } objects[] = {
        {temple, &renderer.defaultProgram, true, true, true, renderer.reflectionMatrix},
        {basin, &renderer.defaultProgram, false, true, true, renderer.reflectionMatrix},
        {ground, &renderer.defaultProgram, false, true, false, renderer.reflectionMatrix},
        {water, &renderer.waterProgram, false, true, false, none},
        {&renderer.light, &renderer.lightProgram, false, false, true, renderer.reflectionMatrix},
        {renderer.skyBox, &renderer.skyProgram, false, false, false, renderer.skyReflectionMatrix},
    };
    for (const auto& expected : objects) {
        SCOPED_TRACE(testing::Message() << "object " << &expected - objects);
        EXPECT_EQ(expected.object->program, expected.program);
        EXPECT_EQ(expected.object->closedVolume, expected.closedVolume);
        EXPECT_EQ(expected.object->reflection.m, expected.reflection.m);
        ASSERT_NE(expected.object->mesh, nullptr);
        EXPECT_EQ(expected.object->mesh->adjacency, expected.adjacency);
        EXPECT_EQ(expected.object->mesh->closed, expected.closedMesh);
        if (const auto* model = dynamic_cast<const Common3DObject*>(expected.object)) {
            ASSERT_EQ(model->materials->size(), 1u);
            EXPECT_NE(model->materials->front()->diffuseTexture, nullptr);
            EXPECT_NE(model->materials->front()->normalTexture, nullptr);
        }
    }
    EXPECT_NE(renderer.skyBox->cubeMap, nullptr);
    EXPECT_NE(renderer.water->bumpTexture, nullptr);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
