#include "loader/DataLoader.h"

#include <IL/il.h>
#include <assimp/material.h>
#include <cstdio>

namespace {

const char* const cubeFaceNames[6] = {"PX.png", "NX.png", "PY.png", "NY.png", "PZ.png", "NZ.png"};

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

Texture* DataLoader::loadTexture(const std::string& path)
{
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const bool loaded = ilLoadImage(path.c_str()) == IL_TRUE;
    printLoadTexture(path);

    Texture* texture = nullptr;
    if (!loaded) {
        report("Couldn't load image: " + path);
    } else if (ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE) == IL_TRUE) {
        const ILubyte* pixels = ilGetData();
        const ILint width = ilGetInteger(IL_IMAGE_WIDTH);
        const ILint height = ilGetInteger(IL_IMAGE_HEIGHT);
        const ILint type = ilGetInteger(IL_IMAGE_TYPE);
        const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
        texture = new Texture();
        TightRowUnpacking unpacking;
        texture->create(format, width, height, GLenum(format), GLenum(type), 1000, pixels, GL_REPEAT);
    } else {
        report("Couldn't convert image");
    }
    ilDeleteImages(1, &image);
    return texture;
}

Texture* DataLoader::loadCubeMap(const std::string& directory)
{
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
    std::printf("DataLoader::loadCubeMap::glErrorCode: %d\n", int(glGetError()));
    std::fflush(stdout);

    ILuint images[6] = {0, 0, 0, 0, 0, 0};
    ilGenImages(6, images);

    const void* faces[6] = {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    ILint width = 0, height = 0, type = 0, format = 0;
    bool allFacesPassed = true;
    for (int f = 0; f < 6; ++f) {
        const std::string path = directory + cubeFaceNames[f];
        ilBindImage(images[f]);
        printLoadTexture(path);
        allFacesPassed = false;
        if (ilLoadImage(path.c_str()) != IL_TRUE) {
            report("Couldn't load image: " + path);
            break;
        }
        if (ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE) != IL_TRUE) {
            report("Couldn't convert image");
            break;
        }
        faces[f] = ilGetData();
        const ILint faceWidth = ilGetInteger(IL_IMAGE_WIDTH);
        const ILint faceHeight = ilGetInteger(IL_IMAGE_HEIGHT);
        if (f > 0 && faceWidth != width) {
            report("Widths of images arn't equal");
            break;
        }
        if (f > 0 && faceHeight != height) {
            report("Heights of images arn't equal");
            break;
        }
        if (faceWidth != faceHeight) {
            report("images arn't square");
            break;
        }
        width = faceWidth;
        height = faceHeight;
        type = ilGetInteger(IL_IMAGE_TYPE);
        format = ilGetInteger(IL_IMAGE_FORMAT);
        allFacesPassed = true;
    }

    Texture* texture = nullptr;
    if (allFacesPassed) {
        texture = new Texture();
        TightRowUnpacking unpacking;
        texture->createCubeMap(format, width, height, GLenum(format), GLenum(type), faces);
    }
    ilDeleteImages(6, images);
    return texture;
}
