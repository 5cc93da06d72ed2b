#include "DataLoaderCollada.h"
#include "GLTestSupport.h"

#include "loader/DataLoader.h"

#include <IL/il.h>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Writes a PNG through DevIL of 8-bit pixels, each of a different colour, so that a row
// shifted by a byte cannot match.
void writeImage(const std::string& path, int width, int height, ILenum format = IL_RGB)
{
    const int channels = format == IL_LUMINANCE ? 1 : format == IL_RGBA ? 4 : 3;
    std::vector<unsigned char> pixels;
    for (int i = 0; i < width * height * channels; ++i)
        pixels.push_back(static_cast<unsigned char>(i * 7 + i / (width * channels) * 101));
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(width, height, 1, ILubyte(channels), format, IL_UNSIGNED_BYTE, pixels.data());
    ilEnable(IL_FILE_OVERWRITE);
    ASSERT_EQ(ilSave(IL_PNG, path.c_str()), IL_TRUE) << path;
    ilDeleteImages(1, &image);
}

// What DevIL itself decodes from the file, as tightly packed 8-bit RGB.
std::vector<unsigned char> decodeRGB(const std::string& path)
{
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilLoadImage(path.c_str());
    ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE);
    const int width = ilGetInteger(IL_IMAGE_WIDTH);
    const int height = ilGetInteger(IL_IMAGE_HEIGHT);
    std::vector<unsigned char> pixels(size_t(width * height * 3));
    ilCopyPixels(0, 0, 0, width, height, 1, IL_RGB, IL_UNSIGNED_BYTE, pixels.data());
    ilDeleteImages(1, &image);
    return pixels;
}

// The texture's level 0 read back as tightly packed 8-bit RGB.
std::vector<unsigned char> readTexture(GLenum target, GLenum bindTarget, GLuint id, int width, int height)
{
    std::vector<unsigned char> pixels(size_t(width * height * 3));
    glBindTexture(bindTarget, id);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return pixels;
}

class DataLoaderImagesGLTest : public testing::Test {
protected:
    void SetUp() override { ensureGLContext(); }

    std::string file(const std::string& relativePath) const { return directory.path() + "/" + relativePath; }

    TemporaryDirectory directory{true};
    std::unique_ptr<DataLoader> loader = std::make_unique<DataLoader>();
};

TEST_F(DataLoaderImagesGLTest, ImagesBecomeUnskewedThreeChannelTexturesAndTheUnpackAlignmentComesBack)
{
    struct Case {
        ILenum format;
        int channels, width;
    };
    // Mended: 8-bit RGB rows of odd widths are not multiples of GL's default 4-byte alignment.
    const Case cases[] = {{IL_RGB, 3, 1},   {IL_RGB, 3, 3},   {IL_RGB, 3, 13}, {IL_RGB, 3, 255},
                          {IL_LUMINANCE, 1, 5}, {IL_RGBA, 4, 5}};
    for (const Case& test : cases) {
        SCOPED_TRACE(std::to_string(test.channels) + " channels, width " + std::to_string(test.width));
        const std::string path = file(std::to_string(test.channels) + "x" + std::to_string(test.width) + ".png");
        writeImage(path, test.width, 3, test.format);
        const std::unique_ptr<Texture> texture(loader->loadTexture(path));
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(readTexture(GL_TEXTURE_2D, GL_TEXTURE_2D, texture->id, test.width, 3), decodeRGB(path));
        for (GLenum size : {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE, GL_TEXTURE_ALPHA_SIZE}) {
            GLint bits = -1;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, size, &bits);
            EXPECT_EQ(bits, size == GL_TEXTURE_ALPHA_SIZE ? 0 : 8) << size;
        }
        GLint alignment = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 4);
    }
}

TEST_F(DataLoaderImagesGLTest, MaterialsFindTheirTexturesByRelativePathAndMissingFilesGiveNull)
{
    directory.write("models/tex/.keep", "");
    writeImage(file("models/tex/diffuse.png"), 4, 4);
    writeImage(file("models/tex/normal.png"), 2, 2);
    const collada::Document document{{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0},
                                     {},
                                     {0, 0, 1, 0, 0, 1, 1, 1},
                                     {{{0, 1, 2}, "textured"}, {{2, 1, 3}, "missing"}},
                                     {{"textured", "tex/diffuse.png", "tex/normal.png"},
                                      {"missing", "tex/absent.png"}}};
    directory.write("models/scene.dae", collada::write(document));

    Mesh mesh;
    std::vector<Material*> materials;
    StdoutCapture capture;
    const std::string models = directory.path() + "/models/";
    loader->loadModel(models, "scene.dae", 2, false, &mesh, &materials);
    const std::string console = capture.text();
    std::vector<std::unique_ptr<Material>> owned;
    std::vector<std::unique_ptr<Texture>> ownedTextures;
    for (Material* material : materials) {
        owned.emplace_back(material);
        ownedTextures.emplace_back(material->diffuseTexture);
        ownedTextures.emplace_back(material->normalTexture);
    }
    ASSERT_EQ(materials.size(), 2u) << console;
    const Material* textured = materials[0]->name == "textured" ? materials[0] : materials[1];
    const Material* missing = materials[0]->name == "textured" ? materials[1] : materials[0];
    ASSERT_NE(textured->diffuseTexture, nullptr) << console;
    ASSERT_NE(textured->normalTexture, nullptr) << console;
    EXPECT_EQ(textured->diffuseTexture->width, 4);
    EXPECT_EQ(textured->normalTexture->width, 2);
    EXPECT_EQ(missing->diffuseTexture, nullptr);
    const std::string absent = models + "tex/absent.png";
    EXPECT_NE(console.find("Load Texture:\"" + absent + "\"\nCouldn't load image: " + absent + "\n"),
              std::string::npos)
        << console;
}

const char* const faceNames[6] = {"PX.png", "NX.png", "PY.png", "NY.png", "PZ.png", "NZ.png"};

// Writes the six faces with the given sizes; a size of 0 leaves the face's file out.
std::string writeCubeFaces(const TemporaryDirectory& directory, const std::string& name,
                           const std::vector<std::pair<int, int>>& sizes)
{
    directory.write(name + "/.keep", "");
    const std::string faces = directory.path() + "/" + name + "/";
    for (int f = 0; f < 6; ++f)
        if (sizes[size_t(f)].first > 0)
            writeImage(faces + faceNames[f], sizes[size_t(f)].first, sizes[size_t(f)].second);
    return faces;
}

TEST_F(DataLoaderImagesGLTest, CubeMapStopsAtTheFirstBadFaceWithItsMessage)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> sizes;
        std::string message;
        int facesAttempted;
    };
    const Case cases[] = {
        {"narrow", {{8, 8}, {4, 4}, {8, 8}, {8, 8}, {8, 8}, {8, 8}}, "Widths of images arn't equal", 2},
        {"oblong", {{8, 4}, {8, 8}, {8, 8}, {8, 8}, {8, 8}, {8, 8}}, "images arn't square", 1},
        {"short", {{8, 8}, {8, 8}, {8, 8}, {8, 4}, {8, 8}, {8, 8}}, "Heights of images arn't equal", 4},
        {"missing", {{8, 8}, {8, 8}, {8, 8}, {8, 8}, {0, 0}, {8, 8}}, "Couldn't load image: ", 5},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string faces = writeCubeFaces(directory, test.name, test.sizes);
        StdoutCapture capture;
        const std::unique_ptr<Texture> texture(loader->loadCubeMap(faces));
        EXPECT_EQ(texture, nullptr);
        std::string expected = "DataLoader::loadCubeMap::glErrorCode: 0\n";
        for (int f = 0; f < test.facesAttempted; ++f)
            expected += "Load Texture:\"" + faces + faceNames[f] + "\"\n";
        expected += test.message + (test.name == std::string("missing") ? faces + faceNames[4] : "") + "\n";
        EXPECT_EQ(capture.text(), expected);
    }
}

TEST_F(DataLoaderImagesGLTest, CubeMapOfSixSquareFacesUploadsEveryFaceUnskewed)
{
    const std::string faces = writeCubeFaces(directory, "sky", std::vector<std::pair<int, int>>(6, {3, 3}));
    const std::unique_ptr<Texture> texture(loader->loadCubeMap(faces));
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->target, GLenum(GL_TEXTURE_CUBE_MAP));
    for (int f = 0; f < 6; ++f)
        EXPECT_EQ(readTexture(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, GL_TEXTURE_CUBE_MAP, texture->id, 3, 3),
                  decodeRGB(faces + faceNames[f]))
            << faceNames[f];
}

} // namespace
