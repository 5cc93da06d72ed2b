#include "DataLoaderCollada.h"
#include "GLTestSupport.h"

#include "loader/DataLoader.h"

#include <IL/il.h>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {

// Writes a PNG through DevIL from tightly packed 8-bit pixels of the given DevIL format.
void writeImage(const std::string& path, int width, int height, ILenum format, const std::vector<unsigned char>& pixels)
{
    const int channels = format == IL_LUMINANCE ? 1 : format == IL_RGBA ? 4 : 3;
    ASSERT_EQ(pixels.size(), size_t(width * height * channels));
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(width, height, 1, ILubyte(channels), format, IL_UNSIGNED_BYTE,
               const_cast<unsigned char*>(pixels.data()));
    ilEnable(IL_FILE_OVERWRITE);
    ASSERT_EQ(ilSave(IL_PNG, path.c_str()), IL_TRUE) << path;
    ilDeleteImages(1, &image);
}

// Every pixel of a different colour, so that a row shifted by a byte cannot match.
std::vector<unsigned char> distinctPixels(int width, int height, int channels)
{
    std::vector<unsigned char> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                pixels.push_back(static_cast<unsigned char>((x * 3 + y * 101 + c * 57) & 0xff));
    return pixels;
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
    glBindTexture(bindTarget, 0);
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
        const int height = 3;
        const std::string path = file(std::to_string(test.channels) + "x" + std::to_string(test.width) + ".png");
        writeImage(path, test.width, height, test.format, distinctPixels(test.width, height, test.channels));
        StdoutCapture capture;
        const std::unique_ptr<Texture> texture(loader->loadTexture(path));
        const std::string console = capture.text();
        ASSERT_NE(texture, nullptr) << console;
        EXPECT_EQ(console.find("Load Texture:\"" + path + "\"\n"), 0u) << console;
        EXPECT_EQ(texture->width, test.width);
        EXPECT_EQ(texture->height, height);
        const std::vector<unsigned char> pixels =
            readTexture(GL_TEXTURE_2D, GL_TEXTURE_2D, texture->id, test.width, height);
        EXPECT_EQ(pixels, decodeRGB(path));
        for (size_t i = 0; test.format == IL_LUMINANCE && i < pixels.size(); i += 3)
            EXPECT_TRUE(pixels[i] == pixels[i + 1] && pixels[i] == pixels[i + 2]) << "grey lands in all three";
        glBindTexture(GL_TEXTURE_2D, texture->id);
        GLint sizes[4] = {0, 0, 0, -1};
        const GLenum channels[4] = {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE,
                                    GL_TEXTURE_ALPHA_SIZE};
        for (int c = 0; c < 4; ++c)
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, channels[c], &sizes[c]);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(std::vector<GLint>(sizes, sizes + 4), (std::vector<GLint>{8, 8, 8, 0}));
        GLint alignment = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        EXPECT_EQ(alignment, 4);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

TEST_F(DataLoaderImagesGLTest, MissingImageIsReportedOnConsoleAndInTheLogAndGivesNull)
{
    const std::string path = file("absent.png");
    StdoutCapture capture;
    EXPECT_EQ(loader->loadTexture(path), nullptr);
    EXPECT_EQ(capture.text(), "Load Texture:\"" + path + "\"\nCouldn't load image: " + path + "\n");
    loader.reset();
    EXPECT_NE(readFile(file("assimp_log.txt")).find("Couldn't load image: " + path), std::string::npos);
}

TEST_F(DataLoaderImagesGLTest, MaterialsFindTheirTexturesByRelativePathAndMissingFilesGiveNull)
{
    directory.write("models/tex/.keep", "");
    writeImage(file("models/tex/diffuse.png"), 4, 4, IL_RGB, distinctPixels(4, 4, 3));
    writeImage(file("models/tex/normal.png"), 2, 2, IL_RGB, distinctPixels(2, 2, 3));

    collada::Document document;
    collada::Geometry geometry;
    geometry.id = "shape";
    geometry.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 2, 0, 0};
    geometry.texCoords = {0, 0, 1, 0, 0, 1, 1, 1, 0, 0};
    for (const char* symbol : {"a", "b", "c"}) {
        collada::Primitive primitive;
        primitive.materialSymbol = symbol;
        primitive.p = symbol[0] == 'a' ? std::vector<int>{0, 1, 2} : symbol[0] == 'b' ? std::vector<int>{2, 1, 3}
                                                                                      : std::vector<int>{1, 4, 3};
        geometry.primitives.push_back(primitive);
    }
    document.geometries = {geometry};
    collada::Material textured;
    textured.id = "textured";
    textured.name = "Textured";
    textured.diffuseImage = "tex/diffuse.png";
    textured.normalImage = "tex/normal.png";
    collada::Material missing;
    missing.id = "missing";
    missing.name = "Missing";
    missing.diffuseImage = "tex/absent.png";
    collada::Material plain;
    plain.id = "plain";
    plain.name = "Plain";
    document.materials = {textured, missing, plain};
    collada::Node node;
    node.geometryId = "shape";
    node.bindings = {{"a", "textured"}, {"b", "missing"}, {"c", "plain"}};
    document.nodes = {node};
    directory.write("models/scene.dae", collada::write(document));

    Mesh mesh;
    std::vector<Material*> materials;
    StdoutCapture capture;
    loader->loadModel(directory.path() + "/models/", "scene.dae", 2, false, &mesh, &materials);
    const std::string console = capture.text();

    std::vector<std::unique_ptr<Material>> owned;
    std::vector<std::unique_ptr<Texture>> ownedTextures;
    std::map<std::string, Material*> byName;
    for (Material* material : materials) {
        owned.emplace_back(material);
        ownedTextures.emplace_back(material->diffuseTexture);
        ownedTextures.emplace_back(material->normalTexture);
        byName[material->name] = material;
    }
    ASSERT_EQ(byName.size(), 3u) << console;
    const Material* t = byName.at("Textured");
    ASSERT_NE(t->diffuseTexture, nullptr);
    ASSERT_NE(t->normalTexture, nullptr);
    EXPECT_EQ(t->diffuseTexture->width, 4);
    EXPECT_EQ(t->normalTexture->width, 2);
    EXPECT_EQ(t->shininess, 20.0f);  // as the document says
    const std::string models = directory.path() + "/models/";
    EXPECT_NE(console.find("Load Texture:\"" + models + "tex/diffuse.png\"\n"), std::string::npos) << console;
    EXPECT_NE(console.find("Load Texture:\"" + models + "tex/normal.png\"\n"), std::string::npos) << console;

    const Material* m = byName.at("Missing");
    EXPECT_EQ(m->diffuseTexture, nullptr);
    EXPECT_EQ(m->normalTexture, nullptr);
    EXPECT_NE(console.find("Load Texture:\"" + models + "tex/absent.png\"\nCouldn't load image: " + models +
                           "tex/absent.png\n"),
              std::string::npos)
        << console;

    const Material* p = byName.at("Plain");
    EXPECT_EQ(p->diffuseTexture, nullptr);
    EXPECT_EQ(p->normalTexture, nullptr);
    // Three images attempted, no more: a material without textures prints nothing.
    size_t attempts = 0;
    for (size_t at = console.find("Load Texture:"); at != std::string::npos; at = console.find("Load Texture:", at + 1))
        ++attempts;
    EXPECT_EQ(attempts, 3u);
}

// Writes the six faces with the given sizes; a size of 0 leaves the face's file out.
void writeCubeFaces(const std::string& directory, const std::vector<std::pair<int, int>>& sizes)
{
    const char* names[6] = {"PX.png", "NX.png", "PY.png", "NY.png", "PZ.png", "NZ.png"};
    for (int f = 0; f < 6; ++f)
        if (sizes[size_t(f)].first > 0)
            writeImage(directory + names[f], sizes[size_t(f)].first, sizes[size_t(f)].second, IL_RGB,
                       distinctPixels(sizes[size_t(f)].first, sizes[size_t(f)].second, 3));
}

TEST_F(DataLoaderImagesGLTest, CubeMapStopsAtTheFirstBadFaceWithItsMessage)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> sizes;
        const char* message;
        int facesAttempted;
    };
    const Case cases[] = {
        {"narrow second face", {{8, 8}, {4, 4}, {8, 8}, {8, 8}, {8, 8}, {8, 8}}, "Widths of images arn't equal", 2},
        {"oblong first face", {{8, 4}, {8, 8}, {8, 8}, {8, 8}, {8, 8}, {8, 8}}, "images arn't square", 1},
        {"short fourth face", {{8, 8}, {8, 8}, {8, 8}, {8, 4}, {8, 8}, {8, 8}}, "Heights of images arn't equal", 4},
        {"missing fifth face", {{8, 8}, {8, 8}, {8, 8}, {8, 8}, {0, 0}, {8, 8}}, "Couldn't load image: ", 5},
    };
    const char* names[6] = {"PX.png", "NX.png", "PY.png", "NY.png", "PZ.png", "NZ.png"};
    int number = 0;
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string faces = file("cube" + std::to_string(number++) + "/");
        directory.write("cube" + std::to_string(number - 1) + "/.keep", "");
        writeCubeFaces(faces, test.sizes);
        StdoutCapture capture;
        const std::unique_ptr<Texture> texture(loader->loadCubeMap(faces));
        const std::string console = capture.text();
        EXPECT_EQ(texture, nullptr);
        std::string expected = "DataLoader::loadCubeMap::glErrorCode: 0\n";
        for (int f = 0; f < test.facesAttempted; ++f)
            expected += "Load Texture:\"" + faces + names[f] + "\"\n";
        expected += test.message;
        if (std::string(test.message) == "Couldn't load image: ")
            expected += faces + names[test.facesAttempted - 1];
        expected += "\n";
        EXPECT_EQ(console, expected);
    }
}

TEST_F(DataLoaderImagesGLTest, CubeMapOfSixSquareFacesUploadsEveryFaceUnskewed)
{
    const std::string faces = file("sky/");
    directory.write("sky/.keep", "");
    writeCubeFaces(faces, std::vector<std::pair<int, int>>(6, {3, 3}));
    StdoutCapture capture;
    const std::unique_ptr<Texture> texture(loader->loadCubeMap(faces));
    const std::string console = capture.text();
    ASSERT_NE(texture, nullptr) << console;
    EXPECT_EQ(texture->target, GLenum(GL_TEXTURE_CUBE_MAP));
    EXPECT_EQ(texture->width, 3);
    const char* names[6] = {"PX.png", "NX.png", "PY.png", "NY.png", "PZ.png", "NZ.png"};
    for (int f = 0; f < 6; ++f)
        EXPECT_EQ(readTexture(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, GL_TEXTURE_CUBE_MAP, texture->id, 3, 3),
                  decodeRGB(faces + names[f]))
            << names[f];
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
