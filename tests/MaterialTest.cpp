#include "GLTestSupport.h"

#include "loader/DataLoader.h"

#include <assimp/material.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <memory>

namespace {

aiMaterial* namedMaterial(const char* name, float shininess, aiColor4D specular)
{
    aiMaterial* material = new aiMaterial();
    const aiString text(name);
    material->AddProperty(&text, AI_MATKEY_NAME);
    material->AddProperty(&shininess, 1, AI_MATKEY_SHININESS);
    const aiColor4D ambient(0.9f, 0.9f, 0.9f, 1.0f);
    material->AddProperty(&ambient, 1, AI_MATKEY_COLOR_AMBIENT);
    material->AddProperty(&specular, 1, AI_MATKEY_COLOR_SPECULAR);
    return material;
}

// loadMaterials reads only materials and textures, so hand-made ones need neither the
// importer nor a GL context.
TEST(MaterialTest, OneRecordPerSceneMaterialInOrderWithDefaultsForMissingKeys)
{
    // The loader writes its "assimp_log.txt" into the working directory.
    TemporaryDirectory directory{true};
    DataLoader loader;
    aiScene scene;
    scene.mNumMaterials = 2;
    scene.mMaterials = new aiMaterial*[2]{namedMaterial("first", 12.0f, aiColor4D(0.1f, 0.2f, 0.3f, 1.0f)),
                                          new aiMaterial()};
    Material existing;
    std::vector<Material*> materials = {&existing};  // appended to, never cleared
    loader.loadMaterials("./models/", &scene, &materials);
    ASSERT_EQ(materials.size(), 3u);
    EXPECT_EQ(materials[0], &existing);
    std::vector<std::unique_ptr<Material>> owned(materials.begin() + 1, materials.end());

    struct Expected {
        const char* name;
        float shininess;
        float ambientColor[3];
    };
    const Expected expected[] = {
        // The specular colour, not the ambient one, fills ambientColor.
        {"first", 12.0f, {0.1f, 0.2f, 0.3f}},
        {"", 1.0f, {0, 0, 0}},
    };
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(expected[i].name);
        const Material* material = materials[i + 1];
        EXPECT_EQ(material->name, expected[i].name);
        EXPECT_EQ(material->shininess, expected[i].shininess);
        EXPECT_EQ(std::vector<float>(material->ambientColor, material->ambientColor + 3),
                  std::vector<float>(expected[i].ambientColor, expected[i].ambientColor + 3));
        EXPECT_EQ(material->diffuseTexture, nullptr);
    }
}

} // namespace
