#include "loader/DataLoader.h"

#include "loader/CubeMapFaces.h"

#include <IL/il.h>
#include <assimp/material.h>
#include <cstdio>

namespace {

// The child decodes to 8-bit RGB with DevIL's names for GL's, and the texture is created with
// GL's.
static_assert(IL_RGB == GL_RGB && IL_UNSIGNED_BYTE == GL_UNSIGNED_BYTE, "DevIL's and GL's names differ");

// DevIL hands out 8-bit RGB rows tightly packed, while GL assumes rows padded to 4 bytes
// by default; an odd width would upload skewed and read past the pixels. The previous
// alignment comes back afterwards, because the rest of the program relies on the default.
class TightRowUnpacking {
public:
    TightRowUnpacking()
    {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &previous);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~TightRowUnpacking() { glPixelStorei(GL_UNPACK_ALIGNMENT, previous); }
    TightRowUnpacking(const TightRowUnpacking&) = delete;
    TightRowUnpacking& operator=(const TightRowUnpacking&) = delete;

private:
    GLint previous = 4;
};

void printLoadTexture(const std::string& path)
{
    std::printf("Load Texture:\"%s\"\n", path.c_str());
    std::fflush(stdout);
}

}  // namespace

void DataLoader::loadMaterials(const std::string& directory, const aiScene* scene, std::vector<Material*>* materials)
{
    if (ilGetInteger(IL_VERSION_NUM) < 178)
        report("Wrong DevIL version. Old devil.dll in system32/SysWow64?");
    if (scene->mTextures != nullptr && scene->mNumTextures > 0)
        report("Support for meshes with embedded textures is not implemented");

    for (unsigned int i = 0; i < scene->mNumMaterials; ++i) {
        const aiMaterial* source = scene->mMaterials[i];
        Material* material = new Material();
        material->diffuseTexture = loadMaterialTexture(directory, source, aiTextureType_DIFFUSE);
        material->normalTexture = loadMaterialTexture(directory, source, aiTextureType_NORMALS);

        aiColor4D ambient(0.0f, 0.0f, 0.0f, 0.0f);
        aiColor4D diffuse(0.0f, 0.0f, 0.0f, 0.0f);
        aiColor4D specular(0.0f, 0.0f, 0.0f, 0.0f);
        aiGetMaterialColor(source, AI_MATKEY_COLOR_AMBIENT, &ambient);
        aiGetMaterialColor(source, AI_MATKEY_COLOR_DIFFUSE, &diffuse);
        aiGetMaterialColor(source, AI_MATKEY_COLOR_SPECULAR, &specular);
        // The lit shader uses ambientColor as the tint of its specular highlight, so it
        // carries the specular colour; ambient and diffuse are queried but unused.
        material->ambientColor[0] = specular.r;
        material->ambientColor[1] = specular.g;
        material->ambientColor[2] = specular.b;

        aiString name;
        aiGetMaterialString(source, AI_MATKEY_NAME, &name);
        material->name = name.C_Str();

        unsigned int count = 1;
        aiGetMaterialFloatArray(source, AI_MATKEY_SHININESS, &material->shininess, &count);

        materials->push_back(material);
    }
}

Texture* DataLoader::loadMaterialTexture(const std::string& directory, const aiMaterial* material, aiTextureType type)
{
    aiString path;
    if (aiGetMaterialTexture(material, type, 0, &path) != AI_SUCCESS)
        return nullptr;
    return loadTexture(directory + path.C_Str());
}

DecodedImage DataLoader::takeImage(const std::string& path)
{
    if (readAhead) {
        std::optional<DecodedImage> image = readAhead->takeImage(path);
        if (image)
            return std::move(*image);
    }
    return decodeInChild(path, decodingLimits);
}

bool DataLoader::reportUnusable(const std::string& path, const DecodedImage& image)
{
    switch (image.result) {
    case DecodedImage::Result::Decoded:
        return false;
    case DecodedImage::Result::NotConverted:
        report("Couldn't convert image");
        return true;
    case DecodedImage::Result::NotLoaded:
    case DecodedImage::Result::Fault:
        break;
    }
    report("Couldn't load image: " + path);
    if (image.result == DecodedImage::Result::Fault)
        report("Not decoded, " + path + ": " + image.fault);
    return true;
}

Texture* DataLoader::loadTexture(const std::string& path)
{
    const DecodedImage image = takeImage(path);
    printLoadTexture(path);
    if (reportUnusable(path, image))
        return nullptr;
    Texture* texture = new Texture();
    TightRowUnpacking unpacking;
    texture->create(GL_RGB, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, 1000, image.rgb.data(), GL_REPEAT);
    return texture;
}

Texture* DataLoader::loadCubeMap(const std::string& directory)
{
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    std::printf("DataLoader::loadCubeMap::glErrorCode: %d\n", int(glGetError()));
    std::fflush(stdout);

    DecodedImage faces[6];
    bool allFacesPassed = true;
    for (int f = 0; f < 6; ++f) {
        const std::string path = directory + cubeFaceNames[f];
        printLoadTexture(path);
        allFacesPassed = false;
        faces[f] = takeImage(path);
        if (reportUnusable(path, faces[f]))
            break;
        if (f > 0 && faces[f].width != faces[f - 1].width) {
            report("Widths of images arn't equal");
            break;
        }
        if (f > 0 && faces[f].height != faces[f - 1].height) {
            report("Heights of images arn't equal");
            break;
        }
        if (faces[f].width != faces[f].height) {
            report("images arn't square");
            break;
        }
        allFacesPassed = true;
    }
    if (!allFacesPassed)
        return nullptr;

    const void* pixels[6] = {};
    for (int f = 0; f < 6; ++f)
        pixels[f] = faces[f].rgb.data();
    Texture* texture = new Texture();
    TightRowUnpacking unpacking;
    texture->createCubeMap(GL_RGB, faces[0].width, faces[0].height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    return texture;
}
