// The generated data through the program's own loader, exactly as the scene assembly loads it.

#include "GLTestSupport.h"

#include "loader/DataLoader.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

TEST(AssetLoaderGLTest, SceneModelsLoadWithoutReportsAndClosedWhereTheyMustBe)
{
    ensureGLContext();
    // Entered, so that the loader's "assimp_log.txt" stays out of the data directory.
    TemporaryDirectory scratch{true};
    // closed: the shadow pass treats it as a closed volume.
    for (auto [file, orientation, adjacency, closed] :
         {std::tuple{"sphere.dae", 4, false, false}, {"Tempel.dae", 2, true, true}, {"Becken.dae", 2, true, true},
          {"Ground.dae", 2, true, false}, {"WaterPlane.dae", 2, true, false}}) {
        SCOPED_TRACE(file);
        DataLoader loader;
        Mesh mesh;
        std::vector<Material*> materials;
        StdoutCapture capture;
        loader.loadModel(std::string(OKV_DATA_DIR) + "/models/", file, orientation, adjacency, &mesh, &materials);
        const std::string console = capture.text();
        EXPECT_EQ(console.find("Couldn't"), std::string::npos) << console;
        EXPECT_NE(console.find("vertices count"), std::string::npos) << console;
        if (closed) {
            EXPECT_NE(console.find("Free Edges:0\n"), std::string::npos) << console;
            EXPECT_TRUE(mesh.closed);
        }
        EXPECT_EQ(materials.size(), 1u);
        if (materials.empty())
            continue;
        EXPECT_NE(materials[0]->diffuseTexture, nullptr);
        EXPECT_NE(materials[0]->normalTexture, nullptr);
        EXPECT_GT(materials[0]->indexCount, 0u);
        // The caller owns what the import handed out.
        for (Material* material : materials) {
            delete material->diffuseTexture;
            delete material->normalTexture;
            delete material;
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(AssetImagesGLTest, SkyAndWaveMapLoadWithoutReports)
{
    ensureGLContext();
    TemporaryDirectory scratch{true};
    DataLoader loader;
    StdoutCapture capture;
    Texture* sky = loader.loadCubeMap(std::string(OKV_DATA_DIR) + "/images/Skybox/");
    Texture* waves = loader.loadTexture(std::string(OKV_DATA_DIR) + "/images/waven.jpg");
    const std::string console = capture.text();
    EXPECT_NE(sky, nullptr) << console;
    EXPECT_NE(waves, nullptr) << console;
    EXPECT_EQ(console.find("Couldn't"), std::string::npos) << console;
    EXPECT_EQ(console.find("arn't"), std::string::npos) << console;
    delete sky;
    delete waves;
}
