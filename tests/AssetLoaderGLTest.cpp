// The generated data through the program's own loader, exactly as the scene assembly loads it.

#include "GLTestSupport.h"

#include "loader/DataLoader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SceneModel {
    const char* file;
    int orientation;
    bool adjacency;
    bool closed;  // the shadow pass treats it as a closed volume
};

const SceneModel sceneModels[] = {
    {"sphere.dae", 4, false, false}, {"Tempel.dae", 2, true, true},      {"Becken.dae", 2, true, true},
    {"Ground.dae", 2, true, false},  {"WaterPlane.dae", 2, true, false},
};

void PrintTo(const SceneModel& m, std::ostream* out) { *out << m.file; }

class AssetLoaderGLTest : public testing::TestWithParam<SceneModel> {
protected:
    void SetUp() override { ensureGLContext(); }
    // Entered, so that the loader's "assimp_log.txt" stays out of the data directory.
    TemporaryDirectory scratch{true};
};

TEST_P(AssetLoaderGLTest, LoadsWithoutReportsAndClosedWhereItMustBe) {
    const SceneModel& model = GetParam();
    DataLoader loader;
    Mesh mesh;
    std::vector<Material*> materials;
    StdoutCapture capture;
    loader.loadModel(std::string(OKV_DATA_DIR) + "/models/", model.file, model.orientation, model.adjacency, &mesh,
                     &materials);
    std::string console = capture.text();

    EXPECT_EQ(console.find("Couldn't"), std::string::npos) << console;
    EXPECT_NE(console.find("vertices count"), std::string::npos) << console;
    if (model.closed) {
        EXPECT_NE(console.find("Free Edges:0\n"), std::string::npos) << console;
        EXPECT_TRUE(mesh.closed);
    }
    ASSERT_EQ(materials.size(), 1u);
    EXPECT_NE(materials[0]->diffuseTexture, nullptr);
    EXPECT_NE(materials[0]->normalTexture, nullptr);
    EXPECT_GT(materials[0]->indexCount, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(Scene, AssetLoaderGLTest, testing::ValuesIn(sceneModels),
                         [](const testing::TestParamInfo<SceneModel>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

TEST(AssetImagesGLTest, SkyAndWaveMapLoadWithoutReports) {
    ensureGLContext();
    TemporaryDirectory scratch{true};
    DataLoader loader;
    StdoutCapture capture;
    Texture* sky = loader.loadCubeMap(std::string(OKV_DATA_DIR) + "/images/Skybox/");
    Texture* waves = loader.loadTexture(std::string(OKV_DATA_DIR) + "/images/waven.jpg");
    std::string console = capture.text();
    EXPECT_NE(sky, nullptr) << console;
    EXPECT_NE(waves, nullptr) << console;
    EXPECT_EQ(console.find("Couldn't"), std::string::npos) << console;
    EXPECT_EQ(console.find("arn't"), std::string::npos) << console;
}

}  // namespace
