#include "DataLoaderScratchDirectory.h"

#include "loader/DataLoader.h"

#include <assimp/material.h>
#include <assimp/scene.h>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>

namespace {

// A scene of hand-made materials: loadMaterials reads only materials and textures, so no
// importer and no GL context are needed.
struct MaterialScene {
    aiScene scene;

    explicit MaterialScene(std::vector<aiMaterial*> materials)
    {
        scene.mNumMaterials = unsigned(materials.size());
        scene.mMaterials = new aiMaterial*[materials.size()];
        for (size_t i = 0; i < materials.size(); ++i)
            scene.mMaterials[i] = materials[i];
    }
};

aiMaterial* namedMaterial(const char* name, float shininess, aiColor4D specular)
{
    aiMaterial* material = new aiMaterial();
    const aiString text(name);
    material->AddProperty(&text, AI_MATKEY_NAME);
    material->AddProperty(&shininess, 1, AI_MATKEY_SHININESS);
    const aiColor4D ambient(0.9f, 0.9f, 0.9f, 1.0f), diffuse(0.7f, 0.7f, 0.7f, 1.0f);
    material->AddProperty(&ambient, 1, AI_MATKEY_COLOR_AMBIENT);
    material->AddProperty(&diffuse, 1, AI_MATKEY_COLOR_DIFFUSE);
    material->AddProperty(&specular, 1, AI_MATKEY_COLOR_SPECULAR);
    return material;
}

class MaterialTest : public testing::Test {
protected:
    std::string loadMaterials(const aiScene* scene, std::vector<Material*>* materials)
    {
        testing::internal::CaptureStdout();
        loader->loadMaterials("./models/", scene, materials);
        return testing::internal::GetCapturedStdout();
    }

    DataLoaderScratchDirectory directory;
    std::unique_ptr<DataLoader> loader = std::make_unique<DataLoader>();
};

TEST_F(MaterialTest, OneRecordPerSceneMaterialInOrderWithDefaultsForMissingKeys)
{
    MaterialScene source({namedMaterial("first", 12.0f, aiColor4D(0.1f, 0.2f, 0.3f, 1.0f)), new aiMaterial(),
                          namedMaterial("third", 0.5f, aiColor4D(1.0f, 0.5f, 0.0f, 1.0f))});
    std::vector<Material*> materials;
    Material existing;
    materials.push_back(&existing);  // the list is appended to, never cleared
    EXPECT_EQ(loadMaterials(&source.scene, &materials), "");
    ASSERT_EQ(materials.size(), 4u);
    EXPECT_EQ(materials[0], &existing);
    std::vector<std::unique_ptr<Material>> owned(materials.begin() + 1, materials.end());

    struct Expected {
        const char* name;
        float shininess;
        float ambientColor[3];
    };
    const Expected expected[] = {
        {"first", 12.0f, {0.1f, 0.2f, 0.3f}},
        // Nothing set: empty name, shininess 1.0, black, no textures.
        {"", 1.0f, {0, 0, 0}},
        // The specular colour, not the ambient or diffuse one, fills ambientColor.
        {"third", 0.5f, {1.0f, 0.5f, 0.0f}},
    };
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(expected[i].name);
        const Material* material = materials[i + 1];
        EXPECT_EQ(material->name, expected[i].name);
        EXPECT_EQ(material->shininess, expected[i].shininess);
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(material->ambientColor[c], expected[i].ambientColor[c]) << c;
        EXPECT_EQ(material->diffuseTexture, nullptr);
        EXPECT_EQ(material->normalTexture, nullptr);
        EXPECT_EQ(material->firstIndex, 0u);
        EXPECT_EQ(material->indexCount, 0u);
    }
}

TEST_F(MaterialTest, EmbeddedTexturesAreReportedOnceAndMissingFilesGiveNullTextures)
{
    aiMaterial* textured = new aiMaterial();
    const aiString diffusePath("tex/none.png"), normalPath("tex/flat.png");
    textured->AddProperty(&diffusePath, AI_MATKEY_TEXTURE_DIFFUSE(0));
    textured->AddProperty(&normalPath, AI_MATKEY_TEXTURE_NORMALS(0));
    MaterialScene source({textured, new aiMaterial()});
    source.scene.mNumTextures = 1;
    source.scene.mTextures = new aiTexture*[1]{new aiTexture()};

    std::vector<Material*> materials;
    const std::string console = loadMaterials(&source.scene, &materials);
    EXPECT_EQ(console, "Support for meshes with embedded textures is not implemented\n"
                       "Load Texture:\"./models/tex/none.png\"\n"
                       "Couldn't load image: ./models/tex/none.png\n"
                       "Load Texture:\"./models/tex/flat.png\"\n"
                       "Couldn't load image: ./models/tex/flat.png\n");
    ASSERT_EQ(materials.size(), 2u);
    std::vector<std::unique_ptr<Material>> owned(materials.begin(), materials.end());
    EXPECT_EQ(materials[0]->diffuseTexture, nullptr);
    EXPECT_EQ(materials[0]->normalTexture, nullptr);

    loader.reset();
    std::ifstream file("assimp_log.txt");
    const std::string log{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_NE(log.find("Support for meshes with embedded textures is not implemented"), std::string::npos) << log;
    EXPECT_NE(log.find("Couldn't load image: ./models/tex/flat.png"), std::string::npos) << log;
}

} // namespace
