#include "DataLoaderCollada.h"
#include "GLTestSupport.h"

#include "loader/DataLoader.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

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

    template <typename T>
    std::vector<T> readBuffer(GLuint buffer) const
    {
        glBindBuffer(GL_COPY_READ_BUFFER, buffer);
        GLint bytes = 0;
        glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &bytes);
        std::vector<T> values(size_t(bytes) / sizeof(T));
        glGetBufferSubData(GL_COPY_READ_BUFFER, 0, bytes, values.data());
        glBindBuffer(GL_COPY_READ_BUFFER, 0);
        return values;
    }
    std::vector<GLuint> indices() const { return readBuffer<GLuint>(mesh.indexBuffer.id); }
    std::vector<Vertex> vertices() const { return readBuffer<Vertex>(mesh.vertexBuffer.id); }
};

class DataLoaderGLTest : public testing::Test {
protected:
    void SetUp() override { ensureGLContext(); }

    // Writes the document as "models/<file>" and loads it the way the scene assembly does.
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
    std::string models() const { return directory.path() + "/models/"; }

    // Entered first, so that the loader's "assimp_log.txt" lands inside it.
    TemporaryDirectory directory{true};
    std::unique_ptr<DataLoader> loader = std::make_unique<DataLoader>();
};

const std::vector<float> tetrahedronPositions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
// Listed so that the importer's vertex order (first use) keeps the position numbers.
const std::vector<int> tetrahedronFaces = {0, 1, 2, 0, 3, 1, 1, 3, 2, 0, 2, 3};
const std::vector<GLuint> tetrahedronAdjacency = {0, 3, 1, 3, 2, 3, 0, 2, 3, 2, 1, 2, 1, 0, 3, 0, 2, 0, 0, 1, 2, 1, 3, 1};

// A unit cube whose six faces each have their own four vertices and face normal.
collada::Document separateFaceCube()
{
    collada::Document document = collada::singleGeometry({}, {});
    collada::Geometry& cube = document.geometries[0];
    const float corners[6][4][3] = {
        {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}}, {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 1, 0}},
        {{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}}, {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}},
        {{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}, {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}},
    };
    const float normals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int f = 0; f < 6; ++f) {
        for (int v = 0; v < 4; ++v)
            for (int c = 0; c < 3; ++c) {
                cube.positions.push_back(corners[f][v][c]);
                cube.normals.push_back(normals[f][c]);
            }
        const int base = f * 4;
        for (int i : {0, 1, 2, 0, 2, 3})
            cube.primitives[0].p.push_back(base + i);
    }
    return document;
}

TEST_F(DataLoaderGLTest, EdgeCasesGiveTheirIndexListsFreeEdgesAndClosedFlags)
{
    struct Case {
        const char* name;
        collada::Document document;
        std::vector<GLuint> expectedIndices;  // empty: only counted
        int freeEdges;
        bool closed;
        uint32_t vertexCount;
    };
    const std::vector<Case> cases = {
        {"lone triangle", collada::singleGeometry({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}), {0, 2, 1, 0, 2, 1}, 3,
         false, 3},
        // The neighbour sits in the second slot for the first triangle, in the first for the second.
        {"two triangles", collada::singleGeometry({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, {0, 1, 2, 2, 1, 3}),
         {0, 2, 1, 3, 2, 1, 2, 0, 1, 2, 3, 1}, 4, false, 4},
        {"tetrahedron", collada::singleGeometry(tetrahedronPositions, tetrahedronFaces),
         tetrahedronAdjacency, 0, true, 4},
        {"cube of 24 vertices", separateFaceCube(), {}, 0, true, 24},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string file = std::string(test.name).substr(0, 3) + ".dae";
        const auto loaded = load(test.document, 2, true, file);
        EXPECT_NE(loaded->console.find("Free Edges:" + std::to_string(test.freeEdges) + "\n"), std::string::npos)
            << loaded->console;
        EXPECT_EQ(loaded->mesh.closed, test.closed);
        EXPECT_EQ(loader->vertexCount, test.vertexCount);
        const std::vector<GLuint> indices = loaded->indices();
        EXPECT_EQ(indices.size(), loader->triangles.size() * 6);
        if (!test.expectedIndices.empty()) {
            EXPECT_EQ(indices, test.expectedIndices);
        }
        for (GLuint index : indices)
            EXPECT_LT(index, loader->vertexCount);
    }
}

TEST_F(DataLoaderGLTest, CubeNeighboursMatchABruteForceSearchByPosition)
{
    const auto loaded = load(separateFaceCube());
    const std::vector<GLuint> indices = loaded->indices();
    const std::vector<Vertex> vertices = loaded->vertices();
    ASSERT_EQ(indices.size(), 12u * 6u);
    auto samePosition = [&](GLuint a, GLuint b) {
        return std::memcmp(vertices[a].position, vertices[b].position, sizeof(float) * 3) == 0;
    };
    auto has = [&](size_t triangle, GLuint vertex) {
        for (int k = 0; k < 3; ++k)
            if (samePosition(indices[triangle * 6 + 2 * k], vertex))
                return true;
        return false;
    };
    for (size_t t = 0; t < 12; ++t)
        for (int k = 0; k < 3; ++k) {
            const GLuint from = indices[t * 6 + 2 * k], to = indices[t * 6 + (2 * k + 2) % 6];
            int neighbours = 0;
            for (size_t other = 0; other < 12; ++other) {
                if (other == t || !has(other, from) || !has(other, to))
                    continue;
                ++neighbours;
                // The adjacent vertex sits at the neighbour's corner off the shared edge.
                const GLuint adjacent = indices[t * 6 + 2 * k + 1];
                EXPECT_TRUE(has(other, adjacent)) << "triangle " << t << " edge " << k;
                EXPECT_FALSE(samePosition(adjacent, from) || samePosition(adjacent, to));
            }
            EXPECT_EQ(neighbours, 1) << "triangle " << t << " edge " << k;
        }
    EXPECT_EQ(loader->weldMap.size(), 8u);
}

TEST_F(DataLoaderGLTest, WithoutAdjacencyThreeIndicesPerTriangleNoFreeEdgesButTheEdgeTableIsFilled)
{
    const auto loaded = load(collada::singleGeometry({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, {0, 1, 2, 2, 1, 3}), 2,
                             false);
    EXPECT_EQ(loaded->indices(), (std::vector<GLuint>{0, 1, 2, 2, 1, 3}));
    EXPECT_NE(loaded->console.find("index count 6\nFree Edges:0\n"), std::string::npos) << loaded->console;
    EXPECT_TRUE(loaded->mesh.closed);
    EXPECT_FALSE(loaded->mesh.adjacency);
    EXPECT_EQ(loader->edgeTable.size(), 5u);
}

TEST_F(DataLoaderGLTest, OrientationCodesMapPointsAndNormalsAsTheirTable)
{
    // The raw point (1, 2, 3) and its mirror keep the centre at the origin, so the fitted point
    // is the mapped point divided by the largest extent, 6. The normal (1, 2, 3) / 4 is mapped
    // alike, without offset or scale.
    struct Case {
        int code;
        float expected[3];
    };
    const Case cases[] = {
        {0, {-2, 1, 3}}, {1, {2, -1, 3}}, {2, {1, 2, 3}}, {3, {1, -2, -3}}, {4, {1, 3, -2}}, {5, {1, -3, 2}},
        // Out of range: reported and taken as 2.
        {9, {1, 2, 3}}, {-1, {1, 2, 3}},
    };
    collada::Document document = collada::singleGeometry({1, 2, 3, -1, -2, -3, 0, 0, 0}, {0, 1, 2});
    document.geometries[0].normals = {0.25f, 0.5f, 0.75f, 0.25f, 0.5f, 0.75f, 0.25f, 0.5f, 0.75f};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.code);
        const auto loaded = load(document, test.code, false, "o" + std::to_string(test.code + 1) + ".dae");
        const std::vector<Vertex> vertices = loaded->vertices();
        ASSERT_EQ(vertices.size(), 3u);
        for (int c = 0; c < 3; ++c) {
            EXPECT_FLOAT_EQ(vertices[0].position[c], test.expected[c] / 6.0f) << c;
            EXPECT_FLOAT_EQ(vertices[0].normal[c], test.expected[c] / 4.0f) << c;
        }
        const bool outOfRange = test.code < 0 || test.code > 5;
        EXPECT_EQ(loaded->console.find("is not 0 to 5, taken as 2") != std::string::npos, outOfRange);
    }
}

TEST_F(DataLoaderGLTest, BoundsFitCentresAndScalesTheLargestSideToOne)
{
    const auto loaded = load(collada::singleGeometry({0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 8}, {0, 1, 2, 0, 2, 3}),
                             2, false);
    EXPECT_EQ(loader->fitScale, 0.125f);
    EXPECT_EQ(loader->fitOffset[0], -1.0f);
    EXPECT_EQ(loader->fitOffset[1], -2.0f);
    EXPECT_EQ(loader->fitOffset[2], -4.0f);
    const float limits[3] = {0.125f, 0.25f, 0.5f};
    float low[3] = {1, 1, 1}, high[3] = {-1, -1, -1};
    for (const Vertex& vertex : loaded->vertices())
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], vertex.position[c]);
            high[c] = std::max(high[c], vertex.position[c]);
        }
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(low[c], -limits[c]) << c;
        EXPECT_EQ(high[c], limits[c]) << c;
    }
}

TEST_F(DataLoaderGLTest, ModelsWithoutExtentOrWithoutVerticesGetFinitePositions)
{
    // One point: every corner of the only triangle at (5, 5, 5). The importer turns the
    // triangle into a point, so the mesh has a vertex and no triangle.
    const auto point = load(collada::singleGeometry({5, 5, 5, 5, 5, 5, 5, 5, 5}, {0, 1, 2}), 2, true, "point.dae");
    EXPECT_EQ(loader->fitScale, 1.0f);
    for (const Vertex& vertex : point->vertices())
        for (float value : vertex.position)
            EXPECT_EQ(value, 0.0f);

    // No vertices at all (the importer refuses a scene without meshes, so the step is fed
    // directly): bounds are never widened; fitScale and fitOffset stay finite.
    loader->reset();
    loader->fitBounds();
    EXPECT_EQ(loader->fitScale, 1.0f);
    for (float value : loader->fitOffset)
        EXPECT_EQ(value, 0.0f);
}

TEST_F(DataLoaderGLTest, PositionsOneBitApartAreNotWelded)
{
    const float x = 1.0f;
    const float nextX = std::nextafter(x, 2.0f);
    // Two triangles that would share the edge (1, 0, 0)-(0, 1, 0) if welding had a tolerance.
    const auto loaded = load(collada::singleGeometry({0, 0, 0, x, 0, 0, 0, 1, 0, nextX, 0, 0, 1, 1, 0},
                                                     {0, 1, 2, 2, 3, 4}));
    EXPECT_EQ(loader->weldMap.size(), 5u);
    EXPECT_EQ(loader->triangles[1].welded[1], loader->triangles[1].corners[1]);
    EXPECT_NE(loaded->console.find("Free Edges:6\n"), std::string::npos) << loaded->console;
}

TEST_F(DataLoaderGLTest, EveryCornerAtOneRawPositionCarriesTheSumOfTheCornerNormals)
{
    // A hard edge: two quads folded along x = 0, with their own normals at the shared corners.
    collada::Document document = collada::singleGeometry(
        {0, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1},
        {0, 2, 1, 2, 3, 1, 4, 5, 6, 6, 5, 7});
    document.geometries[0].normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0};
    const auto loaded = load(document);
    const std::vector<Vertex> vertices = loaded->vertices();
    ASSERT_EQ(vertices.size(), 8u);
    // Per corner of the fold: (0, 0, 0) is used by one triangle of each quad, (0, 1, 0) by two
    // triangles of the first quad and two of the second.
    struct Expected {
        float raw[3];
        float normalAV[3];
    };
    const Expected expectations[] = {{{0, 0, 0}, {1, 0, 1}}, {{0, 1, 0}, {2, 0, 2}}};
    for (const Expected& expected : expectations) {
        int found = 0;
        for (const Vertex& vertex : vertices) {
            // Raw (x, y, z) in [0, 1] maps to position raw - 0.5.
            if (vertex.position[0] != expected.raw[0] - 0.5f || vertex.position[1] != expected.raw[1] - 0.5f ||
                vertex.position[2] != expected.raw[2] - 0.5f)
                continue;
            ++found;
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(vertex.normalAV[c], expected.normalAV[c]) << expected.raw[1] << " " << c;
        }
        EXPECT_EQ(found, 2) << expected.raw[1];
    }
    // The own normals stay apart.
    EXPECT_EQ(vertices[0].normal[2], 1.0f);
}

TEST_F(DataLoaderGLTest, FacesOfOtherThanThreeIndicesAreSkippedWithoutGaps)
{
    // Lines reach the loader as a mesh of their own (the importer sorts by primitive type),
    // between the two triangle meshes.
    collada::Document document;
    collada::Geometry first;
    first.id = "first";
    first.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    collada::Primitive triangle;
    triangle.p = {0, 1, 2};
    collada::Primitive lines;
    lines.element = "lines";
    lines.p = {1, 3, 3, 2};
    first.primitives = {triangle, lines};
    collada::Geometry second;
    second.id = "second";
    second.positions = {0, 0, 1, 1, 0, 1, 0, 1, 1};
    second.primitives = {triangle};
    document.geometries = {first, second};
    collada::Node node;
    node.geometryId = "first";
    collada::Node child;
    child.geometryId = "second";
    node.children.push_back(child);
    document.nodes.push_back(node);

    const auto loaded = load(document);
    ASSERT_EQ(loader->triangles.size(), 2u);
    for (uint32_t t = 0; t < 2; ++t)
        EXPECT_EQ(loader->triangles[t].number, t);
    EXPECT_EQ(loaded->indices().size(), 12u);
    EXPECT_NE(loaded->console.find("index count 12\n"), std::string::npos);
    // Vertices of skipped faces still count, and every index stays inside the vertex buffer.
    EXPECT_EQ(loaded->vertices().size(), loader->vertexCount);
    EXPECT_GT(loader->vertexCount, 6u);
    for (GLuint index : loaded->indices())
        EXPECT_LT(index, loader->vertexCount);
}

TEST_F(DataLoaderGLTest, MaterialRangesFollowInAscendingMaterialNumberWithEmptyRangesForUnusedOnes)
{
    collada::Document document;
    collada::Geometry geometry;
    geometry.id = "shape";
    geometry.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 2, 0, 0, 2, 1, 0};
    collada::Primitive usesB;
    usesB.materialSymbol = "b";
    usesB.p = {0, 1, 2, 2, 1, 3};
    collada::Primitive usesA;
    usesA.materialSymbol = "a";
    usesA.p = {1, 4, 3};
    // The importer drops materials that no mesh references; one used only by lines stays in
    // the scene and reaches the loader without a single triangle.
    collada::Primitive linesOnly;
    linesOnly.element = "lines";
    linesOnly.materialSymbol = "c";
    linesOnly.p = {4, 5};
    geometry.primitives = {usesB, linesOnly, usesA};
    document.geometries = {geometry};
    float tint = 0.25f;
    for (const char* id : {"matA", "matB", "matLines"}) {
        collada::Material material;
        material.id = id;
        material.name = id;
        material.specular[0] = tint;  // different, so that none is merged as redundant
        tint += 0.25f;
        document.materials.push_back(material);
    }
    collada::Node node;
    node.geometryId = "shape";
    node.bindings = {{"a", "matA"}, {"b", "matB"}, {"c", "matLines"}};
    document.nodes = {node};

    // A record already in the caller's list keeps its place and its range.
    directory.write("models/model.dae", collada::write(document));
    auto loaded = std::make_unique<Loaded>();
    Material earlier;
    earlier.name = "earlier";
    earlier.firstIndex = 77;
    loaded->materials.push_back(&earlier);
    loader->loadModel(models(), "model.dae", 2, true, &loaded->mesh, &loaded->materials);
    ASSERT_EQ(loaded->materials.size(), 4u);
    EXPECT_EQ(loaded->materials[0], &earlier);
    EXPECT_EQ(earlier.firstIndex, 77u);
    loaded->materials.erase(loaded->materials.begin());
    std::map<std::string, const Material*> byName;
    for (const Material* material : loaded->materials)
        byName[material->name] = material;
    ASSERT_EQ(byName.size(), 3u);
    EXPECT_EQ(byName["matA"]->indexCount, 6u);
    EXPECT_EQ(byName["matB"]->indexCount, 12u);
    EXPECT_EQ(byName["matLines"]->indexCount, 0u);
    // Ranges tile the index list in material number order, the empty one included.
    GLuint next = 0;
    for (const Material* material : loaded->materials) {
        EXPECT_EQ(material->firstIndex, next) << material->name;
        next += material->indexCount;
    }
    EXPECT_EQ(next, 18u);
    // Each range draws its own triangles: matA's lone triangle is the one at x = 2.
    const std::vector<GLuint> indices = loaded->indices();
    const std::vector<Vertex> vertices = loaded->vertices();
    const Material* a = byName["matA"];
    for (GLuint slot = a->firstIndex; slot < a->firstIndex + a->indexCount; slot += 2)
        EXPECT_GE(vertices[indices[slot]].position[0], 0.0f) << slot;
    const Material* b = byName["matB"];
    for (GLuint slot = b->firstIndex; slot < b->firstIndex + b->indexCount; slot += 2)
        EXPECT_LE(vertices[indices[slot]].position[0], 0.0f) << slot;
}

TEST_F(DataLoaderGLTest, ConsoleLinesOfASuccessfulLoadComeInOrderAndTheLogRecordsTheImport)
{
    const auto loaded = load(collada::singleGeometry(tetrahedronPositions, tetrahedronFaces));
    const std::string& console = loaded->console;
    const size_t vertices = console.find("vertices count 4\n");
    const size_t indices = console.find("index count 24\n");
    const size_t freeEdges = console.find("Free Edges:0\n");
    const size_t upload = console.find("GLBuffer::bind::glErrorCode:");
    ASSERT_NE(vertices, std::string::npos) << console;
    EXPECT_LT(vertices, indices);
    EXPECT_LT(indices, freeEdges);
    EXPECT_LT(freeEdges, upload);
    EXPECT_NE(upload, std::string::npos);
    EXPECT_EQ(loader->meshRegistry.at(models() + "model.dae"), &loaded->mesh);

    loader.reset();  // kills the logger, which flushes and closes the file
    const std::string log = readFile(directory.path() + "/assimp_log.txt");
    EXPECT_NE(log.find("this is my info-call"), std::string::npos) << log;
    EXPECT_NE(log.find("Import of scene model.dae succeeded."), std::string::npos) << log;
}

TEST_F(DataLoaderGLTest, MissingFilePrintsTheWholePathWithoutNewlineAndTouchesNothing)
{
    const auto loaded = loadFile("absent.dae");
    EXPECT_EQ(loaded->console, "Couldn't open file: " + models() + "absent.dae");
    EXPECT_EQ(loaded->mesh.vertexArray.id, 0u);
    EXPECT_EQ(loaded->mesh.indexCount, 0u);
    EXPECT_TRUE(loaded->materials.empty());
    EXPECT_EQ(loader->meshRegistry.count(models() + "absent.dae"), 0u);

    // A file that exists but is no model: the importer's error goes to the log only.
    directory.write("models/broken.dae", "not a COLLADA document");
    const auto broken = loadFile("broken.dae");
    EXPECT_EQ(broken->console, "");
    EXPECT_EQ(broken->mesh.vertexArray.id, 0u);
    EXPECT_EQ(loader->meshRegistry.count(models() + "broken.dae"), 0u);
}

TEST_F(DataLoaderGLTest, ASecondLoadOfOnePathSharesTheFirstMeshAndCopiesItsMaterials)
{
    collada::Document document = collada::singleGeometry(tetrahedronPositions, tetrahedronFaces);
    collada::Material material;
    material.id = "stone";
    material.name = "stone";
    document.materials = {material};
    document.nodes[0].bindings = {{"m", "stone"}};
    document.geometries[0].primitives[0].materialSymbol = "m";
    const auto first = load(document, 2, true, "twice.dae");
    const auto second = loadFile("twice.dae");

    EXPECT_EQ(second->console, "") << "no second import";
    EXPECT_EQ(second->mesh.vertexArray.id, first->mesh.vertexArray.id);
    EXPECT_EQ(second->mesh.indexBuffer.id, first->mesh.indexBuffer.id);
    EXPECT_EQ(second->mesh.indexCount, first->mesh.indexCount);
    EXPECT_EQ(second->mesh.closed, first->mesh.closed);
    EXPECT_TRUE(second->mesh.adjacency);
    ASSERT_EQ(second->materials.size(), first->materials.size());
    for (size_t i = 0; i < first->materials.size(); ++i) {
        EXPECT_NE(second->materials[i], first->materials[i]) << "each caller owns its records";
        EXPECT_EQ(second->materials[i]->name, first->materials[i]->name);
        EXPECT_EQ(second->materials[i]->indexCount, first->materials[i]->indexCount);
    }
}

bool isUnit(const float v[3])
{
    return std::fabs(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) - 1.0f) < 1e-5f;
}

TEST_F(DataLoaderGLTest, DegenerateTextureCoordinatesLeaveOnlyFiniteValuesAndUnitTangentFrames)
{
    collada::Document withoutUVs = collada::singleGeometry(tetrahedronPositions, tetrahedronFaces);
    collada::Document collapsedUVs = withoutUVs;
    collapsedUVs.geometries[0].texCoords = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    // Lines bring vertices that no triangle uses: no normal, no tangent at all.
    collada::Document unusedVertices = withoutUVs;
    collada::Primitive lines;
    lines.element = "lines";
    lines.p = {0, 1};
    unusedVertices.geometries[0].positions.insert(unusedVertices.geometries[0].positions.end(), {3, 3, 3});
    lines.p = {0, 4};
    unusedVertices.geometries[0].primitives.push_back(lines);
    collada::Document proper = separateFaceCube();
    for (size_t v = 0; v < 24; ++v)
        proper.geometries[0].texCoords.insert(proper.geometries[0].texCoords.end(),
                                              {float(v % 4 == 1 || v % 4 == 2), float(v % 4 >= 2)});

    const std::pair<const char*, collada::Document> cases[] = {
        {"without UVs", withoutUVs}, {"collapsed UVs", collapsedUVs}, {"unused vertices", unusedVertices},
        {"proper UVs", proper}};
    int file = 0;
    for (const auto& [name, document] : cases) {
        SCOPED_TRACE(name);
        const auto loaded = load(document, 2, true, "uv" + std::to_string(file++) + ".dae");
        const std::vector<Vertex> vertices = loaded->vertices();
        ASSERT_FALSE(vertices.empty());
        for (const Vertex& vertex : vertices) {
            const float* values = &vertex.position[0];
            for (size_t i = 0; i < sizeof(Vertex) / sizeof(float); ++i)
                EXPECT_TRUE(std::isfinite(values[i])) << "float " << i;
            EXPECT_TRUE(isUnit(vertex.tangent));
            EXPECT_TRUE(isUnit(vertex.bitangent));
            const float* n = vertex.normal;
            const float lengthN = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            if (lengthN > 0.5f) {
                const float* t = vertex.tangent;
                EXPECT_NEAR(t[0] * n[0] + t[1] * n[1] + t[2] * n[2], 0.0f, 1e-5f);
            }
        }
    }
}

TEST_F(DataLoaderGLTest, AMeshListedByTwoNodesIsNotClosedAndStaysInRange)
{
    // One closed mesh listed by two nodes: two copies at the same positions.
    collada::Document twice = collada::singleGeometry(tetrahedronPositions, tetrahedronFaces);
    twice.nodes.push_back(twice.nodes[0]);
    const auto duplicated = load(twice, 2, true, "twice.dae");
    EXPECT_FALSE(duplicated->mesh.closed);
    EXPECT_NE(duplicated->console.find("Free Edges:12\n"), std::string::npos) << duplicated->console;
    const std::vector<GLuint> indices = duplicated->indices();
    ASSERT_EQ(indices.size(), 48u);
    // The first copy still sees its own closed surface; the second, drawn from its own
    // vertices, sees only free edges.
    EXPECT_EQ(std::vector<GLuint>(indices.begin(), indices.begin() + 24), tetrahedronAdjacency);
    for (GLuint index : indices)
        EXPECT_LT(index, 8u);
}

} // namespace
