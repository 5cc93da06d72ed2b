#include "DataLoaderCollada.h"
#include "GLTestSupport.h"
#include "ModelInvariants.h"
#include "common/Image.h"

#include "loader/DataLoader.h"

#include <IL/il.h>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sys/stat.h>

namespace {

// Everything one loadModel call left behind, read back from the GL buffers it filled.
struct Loaded {
    Mesh mesh;
    std::vector<Material*> materials;
    std::string console;

    // The caller owns the records and their textures (the program itself never frees them).
    ~Loaded()
    {
        for (Material* material : materials) {
            delete material->diffuseTexture;
            delete material->normalTexture;
            delete material;
        }
    }

    std::vector<GLuint> indices() const { return readBuffer<GLuint>(mesh.indexBuffer.id); }
    std::vector<Vertex> vertices() const { return readBuffer<Vertex>(mesh.vertexBuffer.id); }
};

// Writes a PNG through DevIL of 8-bit pixels, each of a different colour, so that a row
// shifted by a byte cannot match.
void writeImage(const std::string& path, int width, int height, ILenum format)
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

// The 2D texture's level 0 read back as tightly packed 8-bit RGB.
std::vector<unsigned char> readTexture(GLuint id, int width, int height)
{
    std::vector<unsigned char> pixels(size_t(width * height * 3));
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    return pixels;
}

class DataLoaderGLTest : public testing::Test {
protected:
    void SetUp() override { ensureGLContext(); }

    std::unique_ptr<Loaded> load(const collada::Document& document, int orientation = 2, bool adjacency = true,
                                 const std::string& file = "model.dae")
    {
        directory.write("models/" + file, collada::write(document));
        return loadFile(file, orientation, adjacency);
    }

    std::unique_ptr<Loaded> loadFile(const std::string& file, int orientation = 2, bool adjacency = true)
    {
        auto loaded = std::make_unique<Loaded>();
        StdoutCapture capture;
        loader->loadModel(models(), file, orientation, adjacency, &loaded->mesh, &loaded->materials);
        loaded->console = capture.text();
        return loaded;
    }

    // The registries outlive every test of the process: a path of its own per test keeps
    // them from handing one test's mesh to the next.
    std::string models() const { return (directory.path() / "models").string() + "/"; }

    // Entered first, so that the loader's "assimp_log.txt" lands inside it.
    TemporaryDirectory directory{"okv-test"};
    WorkingDirectory inside{directory.path()};
    std::unique_ptr<DataLoader> loader = std::make_unique<DataLoader>();
};

const std::vector<float> tetrahedronPositions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
// Listed so that the importer's vertex order (first use) keeps the position numbers.
const std::vector<int> tetrahedronFaces = {0, 1, 2, 0, 3, 1, 1, 3, 2, 0, 2, 3};

TEST_F(DataLoaderGLTest, EdgeCasesGiveTheirIndexListsFreeEdgesAndClosedFlags)
{
    struct Case {
        const char* file;
        collada::Document document;
        std::vector<GLuint> expectedIndices;
        int freeEdges;
        bool closed;
    };
    const Case cases[] = {
        {"lone.dae", collada::singleGeometry({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}), {0, 2, 1, 0, 2, 1}, 3, false},
        // On the shared edge the first triangle sits in the `first` slot and finds its
        // neighbour in `second`; the second triangle the other way round.
        {"two.dae",
         collada::singleGeometry({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, {0, 1, 2, 2, 1, 3}),
         {0, 2, 1, 3, 2, 1, 2, 0, 1, 2, 3, 1},
         4,
         false},
        {"tetrahedron.dae",
         collada::singleGeometry(tetrahedronPositions, tetrahedronFaces),
         {0, 3, 1, 3, 2, 3, 0, 2, 3, 2, 1, 2, 1, 0, 3, 0, 2, 0, 0, 1, 2, 1, 3, 1},
         0,
         true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.file);
        const auto loaded = load(test.document, 2, true, test.file);
        EXPECT_NE(loaded->console.find("Free Edges:" + std::to_string(test.freeEdges) + "\n"), std::string::npos)
            << loaded->console;
        EXPECT_EQ(loaded->mesh.closed, test.closed);
        EXPECT_EQ(loaded->indices(), test.expectedIndices);
        // One vertex per position here, so the averaged normal counts the vertex's own
        // normal once for every triangle drawn with it.
        const std::vector<Vertex> vertices = loaded->vertices();
        std::vector<float> uses(vertices.size());
        for (size_t corner = 0; corner < test.expectedIndices.size(); corner += 2)
            ++uses.at(test.expectedIndices[corner]);
        for (size_t v = 0; v < vertices.size(); ++v)
            for (int c = 0; c < 3; ++c)
                EXPECT_FLOAT_EQ(vertices[v].normalAV[c], uses[v] * vertices[v].normal[c]) << v;
    }
}

TEST_F(DataLoaderGLTest, OrientationCodesMapPointsAndNormalsAsTheirTable)
{
    // The raw point (1, 2, 3) and its mirror keep the centre at the origin, so the fitted point
    // is the mapped point divided by the largest extent, 6. The normal (1, 2, 3) / 4 is mapped
    // alike, without offset, and taken at unit length: (1, 2, 3) / sqrt(14).
    struct Case {
        int code;
        float expected[3];
    };
    const Case cases[] = {{0, {-2, 1, 3}}, {1, {2, -1, 3}}, {2, {1, 2, 3}}, {3, {1, -2, -3}},
                          {4, {1, 3, -2}}, {5, {1, -3, 2}}, {9, {1, 2, 3}}, {-1, {1, 2, 3}}};
    collada::Document document = collada::singleGeometry({1, 2, 3, -1, -2, -3, 0, 0, 0}, {0, 1, 2});
    document.normals = {0.25f, 0.5f, 0.75f, 0.25f, 0.5f, 0.75f, 0.25f, 0.5f, 0.75f};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.code);
        const auto loaded = load(document, test.code, false, "o" + std::to_string(test.code + 1) + ".dae");
        EXPECT_EQ(loaded->indices(), (std::vector<GLuint>{0, 1, 2}));
        const Vertex vertex = loaded->vertices().at(0);
        for (int c = 0; c < 3; ++c) {
            EXPECT_FLOAT_EQ(vertex.position[c], test.expected[c] / 6.0f) << c;
            EXPECT_FLOAT_EQ(vertex.normal[c], test.expected[c] / std::sqrt(14.0f)) << c;
        }
        const bool outOfRange = test.code < 0 || test.code > 5;
        EXPECT_EQ(loaded->console.find("is not 0 to 5, taken as 2") != std::string::npos, outOfRange);
    }
}

TEST_F(DataLoaderGLTest, BoundsFitCentresAndScalesTheLargestSideToOneAndModelsWithoutExtentStayFinite)
{
    load(collada::singleGeometry({0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 8}, {0, 1, 2, 0, 2, 3}), 2, false);
    EXPECT_EQ(loader->fitScale, 0.125f);
    EXPECT_EQ(std::vector<float>(loader->fitOffset, loader->fitOffset + 3), (std::vector<float>{-1, -2, -4}));

    // Every corner at (5, 5, 5): the importer keeps a vertex, but no triangle.
    const auto point = load(collada::singleGeometry({5, 5, 5, 5, 5, 5, 5, 5, 5}, {0, 1, 2}), 2, true, "point.dae");
    ASSERT_FALSE(point->vertices().empty());
    for (const Vertex& vertex : point->vertices())
        EXPECT_EQ(std::vector<float>(vertex.position, vertex.position + 3), (std::vector<float>{0, 0, 0}));

    // No vertices at all. The importer refuses a scene without meshes, so the step is
    // fed directly.
    loader->reset();
    loader->fitBounds();
    EXPECT_EQ(loader->fitScale, 1.0f);
    EXPECT_EQ(std::vector<float>(loader->fitOffset, loader->fitOffset + 3), (std::vector<float>{0, 0, 0}));
}

TEST_F(DataLoaderGLTest, MaterialRangesAscendWithEmptyRangesAndSkippedLinesLeaveNoGaps)
{
    // The importer keeps a material used only by lines; those reach the loader as a mesh of
    // their own, between the two triangle meshes.
    const collada::Document document{{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 2, 0, 0, 2, 1, 0},
                                     {},
                                     {},
                                     {{{0, 1, 2, 2, 1, 3}, "matB"}, {{4, 5}, "matLines", true}, {{1, 4, 3}, "matA"}},
                                     {{"matA"}, {"matB"}, {"matLines"}}};
    directory.write("models/model.dae", collada::write(document));
    // A record already in the caller's list keeps its place and its range.
    Loaded loaded;
    Material earlier;
    earlier.firstIndex = 77;
    loaded.materials.push_back(&earlier);
    loader->loadModel(models(), "model.dae", 2, true, &loaded.mesh, &loaded.materials);
    ASSERT_EQ(loaded.materials.at(0), &earlier);
    loaded.materials.erase(loaded.materials.begin());
    EXPECT_EQ(earlier.firstIndex, 77u);
    ASSERT_EQ(loaded.materials.size(), 3u);

    ASSERT_EQ(loader->triangles.size(), 3u);
    for (uint32_t t = 0; t < 3; ++t)
        EXPECT_EQ(loader->triangles[t].number, t);
    const std::vector<GLuint> indices = loaded.indices();
    const std::vector<Vertex> vertices = loaded.vertices();
    for (GLuint index : indices)
        ASSERT_LT(index, vertices.size());
    // Each range draws its own triangles: the x of their corners, fitted into [-0.5, 0.5].
    const std::map<std::string, std::vector<float>> drawnX = {
        {"matA", {0, 0, 0.5f}}, {"matB", {-0.5f, -0.5f, -0.5f, 0, 0, 0}}, {"matLines", {}}};
    GLuint next = 0;
    for (const Material* material : loaded.materials) {
        EXPECT_EQ(material->firstIndex, next) << material->name;
        next += material->indexCount;
        ASSERT_LE(next, indices.size());
        std::vector<float> x;
        for (GLuint slot = material->firstIndex; slot < next; slot += 2)
            x.push_back(vertices[indices[slot]].position[0]);
        std::sort(x.begin(), x.end());
        EXPECT_EQ(x, drawnX.at(material->name)) << material->name;
    }
    EXPECT_EQ(next, indices.size());
}

TEST_F(DataLoaderGLTest, ASecondLoadOfOnePathSharesTheFirstMeshAndCopiesItsMaterials)
{
    collada::Document document = collada::singleGeometry(tetrahedronPositions, tetrahedronFaces);
    document.materials = {{"stone"}};
    document.primitives[0].material = "stone";
    const auto first = load(document, 2, true, "twice.dae");
    const auto second = loadFile("twice.dae");
    EXPECT_EQ(second->console, "") << "no second import";
    EXPECT_EQ(second->mesh.vertexArray.id, first->mesh.vertexArray.id);
    EXPECT_EQ(second->mesh.indexCount, first->mesh.indexCount);
    ASSERT_EQ(second->materials.size(), 1u);
    EXPECT_NE(second->materials[0], first->materials[0]) << "each caller owns its records";
    EXPECT_EQ(second->materials[0]->name, "stone");
}

// As in the program, the importer's child is forked while the GL context and the X connection
// are open. The loader goes on after each file that kills the importer, and the import of a
// sound file stands in the log once: the child's look at it is not logged.
TEST_F(DataLoaderGLTest, FilesThatKillTheImporterLeaveEmptyModelsAndTheirReasonInTheLog)
{
    const std::pair<const char*, const char*> killers[] = {
        {"skin-joints-beyond-its-list.dae", "the importer died of signal 11"},
        {"node-with-skew.dae", "the importer died of signal 6"},
    };
    for (const auto& [file, reason] : killers) {
        SCOPED_TRACE(file);
        directory.write(std::string("models/") + file, readFile(std::string(OKV_IMPORTER_FAULTS_DIR "/") + file));
        const auto loaded = loadFile(file);
        EXPECT_EQ(loaded->console, "");
        EXPECT_EQ(loaded->mesh.vertexArray.id, 0u);
        EXPECT_TRUE(loaded->materials.empty());
        const std::string log = readFile((directory.path() / "assimp_log.txt").string());
        EXPECT_NE(log.find("Info,  T0: Not imported, " + models() + file + ": " + reason + "\n"), std::string::npos)
            << log;
    }
    const auto sound = load(collada::singleGeometry(tetrahedronPositions, tetrahedronFaces), 2, true, "sound.dae");
    EXPECT_NE(sound->mesh.vertexArray.id, 0u);
    EXPECT_NE(sound->console.find("index count 24\nFree Edges:0\n"), std::string::npos) << sound->console;
    const std::string log = readFile((directory.path() / "assimp_log.txt").string());
    for (const std::string& line : {"Info,  T0: Load " + models() + "sound.dae\n",
                                    std::string("Info,  T0: Import of scene sound.dae succeeded.\n")}) {
        const size_t first = log.find(line);
        EXPECT_NE(first, std::string::npos) << line;
        EXPECT_EQ(log.find(line, first + 1), std::string::npos) << "twice: " << line;
    }
}

// The rules every prepared model keeps (ModelInvariants.h), on models at the edges of what the
// loader's arithmetic meets.
TEST_F(DataLoaderGLTest, ModelsAtTheEdgesOfTheArithmeticStillGiveSoundMeshes)
{
    collada::Document withoutUVs = collada::singleGeometry(tetrahedronPositions, tetrahedronFaces);
    collada::Document collapsedUVs = withoutUVs;
    collapsedUVs.texCoords = std::vector<float>(8, 0.5f);
    // A UV area that is not zero but so small that dividing by it overflows.
    collada::Document vanishingUVs = withoutUVs;
    vanishingUVs.texCoords = {0, 0, 1e-20f, 0, 0, 1e-20f, 1e-20f, 1e-20f};
    // Lines bring a vertex that no triangle uses: no normal, no tangent at all.
    collada::Document unusedVertex = withoutUVs;
    unusedVertex.positions.insert(unusedVertex.positions.end(), {3, 3, 3});
    unusedVertex.primitives.push_back({{0, 4}, "", true});
    // A file's normals need not have unit length; the frame must still lie in the
    // plane at a right angle to them.
    collada::Document longNormals = withoutUVs;
    longNormals.texCoords = {0, 0, 1, 0, 0, 1, 1, 1};
    longNormals.normals = {-3, -3, -3, 4, 0, 0, 0, 4, 0, 0, 1, 5};
    // Normals so long that their sum at a corner overflows.
    collada::Document hugeNormals = longNormals;
    hugeNormals.normals = {3e38f, 3e38f, 3e38f, 3e38f, 0, 0, 0, 3e38f, 0, 0, 0, 3e38f};
    // Found by the import fuzzer: the importer's own normals of a triangle this long
    // overflow to (-1e38, NaN, 1e38), which has a direction until the NaN is seen.
    const collada::Document notANumber =
        collada::singleGeometry({0, 0, 0, 1e38f, 1, 1e38f, 1e38f, 2, 1e38f}, {0, 1, 2});
    // A model wider than the largest float, whose fit overflowed.
    collada::Document wide = withoutUVs;
    wide.positions = {-3e38f, 0, 0, 3e38f, 0, 0, 0, 3e38f, 0, 0, 0, 3e38f};

    const std::pair<const char*, collada::Document> cases[] = {
        {"without UVs", withoutUVs},           {"collapsed UVs", collapsedUVs}, {"vanishing UVs", vanishingUVs},
        {"unused vertex", unusedVertex},       {"long normals", longNormals},   {"huge normals", hugeNormals},
        {"a normal not a number", notANumber}, {"wider than the floats", wide}};
    int file = 0;
    for (const auto& [name, document] : cases) {
        SCOPED_TRACE(name);
        const auto loaded = load(document, 2, true, "edge" + std::to_string(file++) + ".dae");
        ASSERT_FALSE(loaded->vertices().empty());
        EXPECT_EQ(brokenInvariants(readPreparedModel(loaded->mesh, loaded->materials, loader->freeEdges)),
                  std::vector<std::string>{});
    }
}

TEST_F(DataLoaderGLTest, ImagesBecomeUnskewedThreeChannelTexturesAndTheUnpackAlignmentComesBack)
{
    struct Case {
        ILenum format;
        int channels, width;
    };
    // 8-bit RGB rows of odd widths are not multiples of GL's default 4-byte alignment.
    const Case cases[] = {{IL_RGB, 3, 1},   {IL_RGB, 3, 3},       {IL_RGB, 3, 13},
                          {IL_RGB, 3, 255}, {IL_LUMINANCE, 1, 5}, {IL_RGBA, 4, 5}};
    for (const Case& test : cases) {
        const std::string name = std::to_string(test.channels) + " channels, width " + std::to_string(test.width);
        SCOPED_TRACE(name);
        const std::string path = (directory.path() / (name + ".png")).string();
        writeImage(path, test.width, 3, test.format);
        const std::unique_ptr<Texture> texture(loader->loadTexture(path));
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(readTexture(texture->id, test.width, 3), loadImage(path).rgb);
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

// A face whose decoding ends in a fault stops the cube map as a missing face does, with the
// image library's fault in one more line: here a named pipe that no one writes to, which the
// library waits on until the time limit ends its child.
TEST_F(DataLoaderGLTest, ACubeFaceThatEndsTheImageLibraryStopsTheCubeMapLikeAMissingFace)
{
    const std::string faces = (directory.path() / "sky").string() + "/";
    std::filesystem::create_directory(faces);
    writeImage(faces + "PX.png", 8, 8, IL_RGB);
    ASSERT_EQ(mkfifo((faces + "NX.png").c_str(), 0600), 0);
    loader->decodingLimits.seconds = 0.3;
    StdoutCapture capture;
    const std::unique_ptr<Texture> cubeMap(loader->loadCubeMap(faces));
    EXPECT_EQ(cubeMap, nullptr);
    const std::string reason = "Not decoded, " + faces + "NX.png: the image library ran past 0.3 s\n";
    EXPECT_EQ(capture.text(), "DataLoader::loadCubeMap::glErrorCode: 0\nLoad Texture:\"" + faces +
                                  "PX.png\"\nLoad Texture:\"" + faces + "NX.png\"\nCouldn't load image: " + faces +
                                  "NX.png\n" + reason);
    const std::string log = readFile((directory.path() / "assimp_log.txt").string());
    EXPECT_NE(log.find("Info,  T0: " + reason), std::string::npos) << log;
}

}  // namespace
