// The fixed scene as loadScene builds it from the generated data: every file found, every
// texture in place, and the models that cast shadows closed where the shadow pass relies on
// it. Where each object stands and how it looks, the README's pictures show, which the
// capture test compares with the current program's frames.

#include "ScenePassSupport.h"

#include "scene/Common3DObject.h"

TEST(SceneAssemblyGLTest, LoadSceneFindsEveryFileAndTheTempleAndPoolAreClosed)
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

    // Temple, basin, ground and water, in that order.
    const std::vector<Renderable*>& models = renderer.screenLists.litObjects;
    ASSERT_EQ(models.size(), 4u);
    for (size_t i = 0; i < models.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "model " << i);
        ASSERT_NE(models[i]->mesh, nullptr);
        EXPECT_TRUE(models[i]->mesh->adjacency);
        // Closed meshes may be extruded from their lit triangles alone, the fast path.
        EXPECT_EQ(models[i]->mesh->closed, i < 2);
        if (const auto* model = dynamic_cast<const Common3DObject*>(models[i])) {
            ASSERT_EQ(model->materials->size(), 1u);
            EXPECT_NE(model->materials->front()->diffuseTexture, nullptr);
            EXPECT_NE(model->materials->front()->normalTexture, nullptr);
        }
    }
    EXPECT_NE(renderer.skyBox->cubeMap, nullptr);
    EXPECT_NE(renderer.water->bumpTexture, nullptr);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
