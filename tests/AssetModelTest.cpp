// The generated models, checked with plain Assimp and geometry written here, independently of
// the generator's code and of the program's loader.

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numeric>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

const std::string modelDirectory = std::string(OKV_ASSETS_DATA_DIR) + "/models/";
// The program's import flags: Assimp's real-time quality preset.
const unsigned importFlags = 0x79ACB;

struct Point {
    double x = 0, y = 0, z = 0;
};
Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point cross(Point a, Point b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Every triangle of one file as the importer returns it, walked through the node tree like the
// program does (mesh coordinates, node transforms ignored), with corners welded by exact raw
// position across all meshes.
struct ImportedModel {
    bool imported = false;
    std::vector<std::array<Point, 3>> triangles;
    std::vector<std::array<uint32_t, 3>> welded;
    std::vector<std::array<std::array<float, 2>, 3>> uv;
    uint32_t weldedCount = 0;
    Point boundsMin{1e30, 1e30, 1e30}, boundsMax{-1e30, -1e30, -1e30};
    unsigned materialCount = 0;
    std::string diffuseTexture, normalTexture;
    bool everyMeshHasNormalsAndUv = true;
    size_t nonTriangleFaces = 0;
};

void gather(const aiScene* scene, const aiNode* node, std::map<std::array<float, 3>, uint32_t>& weldMap,
            ImportedModel& model) {
    for (unsigned m = 0; m < node->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[m]];
        model.everyMeshHasNormalsAndUv =
            model.everyMeshHasNormalsAndUv && mesh->HasNormals() && mesh->HasTextureCoords(0);
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3) {
                ++model.nonTriangleFaces;
                continue;
            }
            std::array<Point, 3> corners;
            std::array<uint32_t, 3> welded{};
            std::array<std::array<float, 2>, 3> uv{};
            for (int c = 0; c < 3; ++c) {
                const aiVector3D& p = mesh->mVertices[face.mIndices[c]];
                corners[c] = {p.x, p.y, p.z};
                auto inserted = weldMap.emplace(std::array<float, 3>{p.x, p.y, p.z}, model.weldedCount);
                if (inserted.second)
                    ++model.weldedCount;
                welded[c] = inserted.first->second;
                if (mesh->HasTextureCoords(0))
                    uv[c] = {mesh->mTextureCoords[0][face.mIndices[c]].x, mesh->mTextureCoords[0][face.mIndices[c]].y};
                model.boundsMin = {std::min(model.boundsMin.x, double(p.x)), std::min(model.boundsMin.y, double(p.y)),
                                   std::min(model.boundsMin.z, double(p.z))};
                model.boundsMax = {std::max(model.boundsMax.x, double(p.x)), std::max(model.boundsMax.y, double(p.y)),
                                   std::max(model.boundsMax.z, double(p.z))};
            }
            model.triangles.push_back(corners);
            model.welded.push_back(welded);
            model.uv.push_back(uv);
        }
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c)
        gather(scene, node->mChildren[c], weldMap, model);
}

ImportedModel importModel(const std::string& file) {
    ImportedModel model;
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(modelDirectory + file, importFlags);
    if (scene == nullptr || scene->mRootNode == nullptr)
        return model;
    model.imported = true;
    model.materialCount = scene->mNumMaterials;
    aiString path;
    if (scene->mNumMaterials > 0) {
        if (aiGetMaterialTexture(scene->mMaterials[0], aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS)
            model.diffuseTexture = path.C_Str();
        if (aiGetMaterialTexture(scene->mMaterials[0], aiTextureType_NORMALS, 0, &path) == AI_SUCCESS)
            model.normalTexture = path.C_Str();
    }
    std::map<std::array<float, 3>, uint32_t> weldMap;
    gather(scene, scene->mRootNode, weldMap, model);
    return model;
}

// Undirected welded edges that are not used by exactly two triangles in opposite directions,
// and triangles without three distinct welded corners.
size_t manifoldFaults(const ImportedModel& model) {
    std::map<std::pair<uint32_t, uint32_t>, std::array<int, 2>> uses;  // [lower to higher, higher to lower]
    size_t faults = 0;
    for (const auto& w : model.welded) {
        if (w[0] == w[1] || w[1] == w[2] || w[2] == w[0]) {
            ++faults;
            continue;
        }
        for (int k = 0; k < 3; ++k) {
            uint32_t a = w[k], b = w[(k + 1) % 3];
            ++uses[{std::min(a, b), std::max(a, b)}][a < b ? 0 : 1];
        }
    }
    for (const auto& [edge, count] : uses)
        if (count[0] != 1 || count[1] != 1)
            ++faults;
    return faults;
}

// Triangles grouped into solids: connected through shared welded corners.
std::vector<std::vector<size_t>> components(const ImportedModel& model) {
    std::vector<uint32_t> parent(model.weldedCount);
    std::iota(parent.begin(), parent.end(), 0u);
    auto find = [&](uint32_t i) {
        while (parent[i] != i)
            i = parent[i] = parent[parent[i]];
        return i;
    };
    for (const auto& w : model.welded) {
        parent[find(w[1])] = find(w[0]);
        parent[find(w[2])] = find(w[0]);
    }
    std::map<uint32_t, std::vector<size_t>> groups;
    for (size_t t = 0; t < model.welded.size(); ++t)
        groups[find(model.welded[t][0])].push_back(t);
    std::vector<std::vector<size_t>> result;
    for (auto& [root, triangles] : groups)
        result.push_back(std::move(triangles));
    return result;
}

double signedVolume(const ImportedModel& model, const std::vector<size_t>& triangles) {
    double volume = 0;
    for (size_t t : triangles) {
        const auto& p = model.triangles[t];
        volume += dot(p[0], cross(p[1], p[2])) / 6.0;
    }
    return volume;
}

// A model as the scene places it: fitted into a unit box around the origin (bounds centred,
// divided by the largest extent), then scaled and moved.
struct PlacedSolid {
    std::vector<std::array<Point, 3>> triangles;
    Point boundsMin{1e30, 1e30, 1e30}, boundsMax{-1e30, -1e30, -1e30};
};

std::vector<PlacedSolid> place(const ImportedModel& model, Point scale, Point offset) {
    Point centre{(model.boundsMin.x + model.boundsMax.x) / 2, (model.boundsMin.y + model.boundsMax.y) / 2,
                 (model.boundsMin.z + model.boundsMax.z) / 2};
    double extent = std::max({model.boundsMax.x - model.boundsMin.x, model.boundsMax.y - model.boundsMin.y,
                              model.boundsMax.z - model.boundsMin.z});
    std::vector<PlacedSolid> solids;
    for (const auto& group : components(model)) {
        PlacedSolid solid;
        for (size_t t : group) {
            std::array<Point, 3> placed;
            for (int c = 0; c < 3; ++c) {
                Point p = model.triangles[t][c] - centre;
                placed[c] = {p.x / extent * scale.x + offset.x, p.y / extent * scale.y + offset.y,
                             p.z / extent * scale.z + offset.z};
                solid.boundsMin = {std::min(solid.boundsMin.x, placed[c].x), std::min(solid.boundsMin.y, placed[c].y),
                                   std::min(solid.boundsMin.z, placed[c].z)};
                solid.boundsMax = {std::max(solid.boundsMax.x, placed[c].x), std::max(solid.boundsMax.y, placed[c].y),
                                   std::max(solid.boundsMax.z, placed[c].z)};
            }
            solid.triangles.push_back(placed);
        }
        solids.push_back(std::move(solid));
    }
    return solids;
}

// Ray parity against one closed solid; the ray leans off the axes so that it does not graze
// the models' many axis-aligned edges.
bool inside(const PlacedSolid& solid, Point p) {
    if (p.x < solid.boundsMin.x || p.y < solid.boundsMin.y || p.z < solid.boundsMin.z || p.x > solid.boundsMax.x ||
        p.y > solid.boundsMax.y || p.z > solid.boundsMax.z)
        return false;
    const Point direction{0.8017, 0.3612, 0.4763};
    int crossings = 0;
    for (const auto& t : solid.triangles) {
        Point e1 = t[1] - t[0], e2 = t[2] - t[0];
        Point h = cross(direction, e2);
        double a = dot(e1, h);
        if (std::fabs(a) < 1e-12)
            continue;
        Point s = p - t[0];
        double u = dot(s, h) / a;
        if (u < 0 || u > 1)
            continue;
        Point q = cross(s, e1);
        double v = dot(direction, q) / a;
        if (v < 0 || u + v > 1)
            continue;
        if (dot(e2, q) / a > 0)
            ++crossings;
    }
    return crossings % 2 == 1;
}

bool insideAny(const std::vector<PlacedSolid>& solids, Point p) {
    for (const PlacedSolid& solid : solids)
        if (inside(solid, p))
            return true;
    return false;
}

struct EyePoint {
    Point position, tangent;
    double outWeight, inWeight;
};

// The camera's eye path: looping cubic Bézier segments, one per unit of the parameter.
const EyePoint eyePath[8] = {
    {{30, 20, 0}, {0, 0, 1}, 30, 100},   {{-30, 20, 0}, {0, 0, -1}, 30, 30}, {{30, 20, 0}, {0, 0, 1}, 30, 30},
    {{-30, 20, 0}, {0, 0, -1}, 30, 30},  {{130, 50, 0}, {0, 0, 1}, 1, 100},  {{60, 120, 0}, {0, 0, 1}, 0, 0},
    {{60, 120, 0}, {0, 0, 1}, 0, 0},     {{130, 50, 70}, {0, 0, -1}, 60, 30},
};

Point eyeAt(double t) {
    int k = static_cast<int>(std::floor(t)) % 8;
    double u = t - std::floor(t);
    const EyePoint& p = eyePath[k];
    const EyePoint& q = eyePath[(k + 1) % 8];
    Point b[4] = {p.position,
                  {p.position.x + p.tangent.x * p.outWeight, p.position.y + p.tangent.y * p.outWeight,
                   p.position.z + p.tangent.z * p.outWeight},
                  {q.position.x - q.tangent.x * q.inWeight, q.position.y - q.tangent.y * q.inWeight,
                   q.position.z - q.tangent.z * q.inWeight},
                  q.position};
    double w[4] = {(1 - u) * (1 - u) * (1 - u), 3 * u * (1 - u) * (1 - u), 3 * u * u * (1 - u), u * u * u};
    Point r;
    for (int i = 0; i < 4; ++i)
        r = {r.x + w[i] * b[i].x, r.y + w[i] * b[i].y, r.z + w[i] * b[i].z};
    return r;
}

struct ModelCase {
    const char* file;
    bool closed;            // watertight solids (shadow casters treated as volumes)
    size_t triangleBudget;  // keeps the shadow pass, which extrudes every caster, fast
};

const ModelCase modelCases[] = {
    {"Tempel.dae", true, 6000}, {"Becken.dae", true, 500}, {"Ground.dae", false, 4000},
    {"WaterPlane.dae", false, 500}, {"sphere.dae", false, 2000},
};

void PrintTo(const ModelCase& c, std::ostream* out) { *out << c.file; }

class AssetModelTest : public testing::TestWithParam<ModelCase> {};

TEST_P(AssetModelTest, ImportsWithTexturesNormalsAndCoordinates) {
    const ModelCase& c = GetParam();
    ImportedModel model = importModel(c.file);
    ASSERT_TRUE(model.imported) << c.file;
    EXPECT_EQ(model.materialCount, 1u);
    EXPECT_TRUE(model.everyMeshHasNormalsAndUv);
    EXPECT_EQ(model.nonTriangleFaces, 0u);
    EXPECT_GT(model.triangles.size(), 0u);
    EXPECT_LE(model.triangles.size(), c.triangleBudget);
    // The loader opens directory + the stored path, so both textures must sit beside the model.
    ASSERT_FALSE(model.diffuseTexture.empty());
    ASSERT_FALSE(model.normalTexture.empty());
    EXPECT_NE(model.diffuseTexture, model.normalTexture);
    EXPECT_TRUE(std::filesystem::is_regular_file(modelDirectory + model.diffuseTexture)) << model.diffuseTexture;
    EXPECT_TRUE(std::filesystem::is_regular_file(modelDirectory + model.normalTexture)) << model.normalTexture;
    // Tangent frames come from texture coordinates; a triangle without UV area has none.
    size_t flatUv = 0;
    for (const auto& uv : model.uv) {
        double area = (uv[1][0] - uv[0][0]) * (uv[2][1] - uv[0][1]) - (uv[2][0] - uv[0][0]) * (uv[1][1] - uv[0][1]);
        if (std::fabs(area) < 1e-9)
            ++flatUv;
    }
    EXPECT_EQ(flatUv, 0u);
}

TEST_P(AssetModelTest, ClosedModelsAreWatertightOutwardSolids) {
    const ModelCase& c = GetParam();
    if (!c.closed)
        return;
    ImportedModel model = importModel(c.file);
    ASSERT_TRUE(model.imported);
    EXPECT_EQ(manifoldFaults(model), 0u) << c.file;
    for (const auto& group : components(model))
        EXPECT_GT(signedVolume(model, group), 0.0) << c.file << ": a solid winds inward";
}

TEST_P(AssetModelTest, AssimpCommandLineToolReadsIt) {
    std::string command = "assimp info '" + modelDirectory + GetParam().file + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    EXPECT_NE(output.find("Faces:"), std::string::npos) << output;
}

INSTANTIATE_TEST_SUITE_P(Models, AssetModelTest, testing::ValuesIn(modelCases),
                         [](const testing::TestParamInfo<ModelCase>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

TEST(AssetPlacementTest, ManifoldCheckCatchesHolesAndFlips) {
    // The checks above only mean something if they can fail: a closed tetrahedron passes,
    // one with a face missing or flipped does not.
    ImportedModel model;
    model.weldedCount = 4;
    model.welded = {{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {0, 3, 2}};
    EXPECT_EQ(manifoldFaults(model), 0u);
    ImportedModel open = model;
    open.welded.pop_back();
    EXPECT_EQ(manifoldFaults(open), 3u);
    ImportedModel flipped = model;
    std::swap(flipped.welded[0][1], flipped.welded[0][2]);
    EXPECT_EQ(manifoldFaults(flipped), 3u);
}

TEST(AssetPlacementTest, TempleStandsOnTheGroundAroundThePool) {
    ImportedModel temple = importModel("Tempel.dae");
    ImportedModel basin = importModel("Becken.dae");
    ASSERT_TRUE(temple.imported && basin.imported);
    std::vector<PlacedSolid> templeSolids = place(temple, {100, 100, 100}, {0, 50, 0});
    std::vector<PlacedSolid> basinSolids = place(basin, {30, 30, 30}, {0, 10, 0});
    ASSERT_EQ(basinSolids.size(), 1u);
    EXPECT_GE(templeSolids.size(), 4u) << "platform, columns, entablature and roof are separate solids";

    Point low{1e30, 1e30, 1e30}, high{-1e30, -1e30, -1e30};
    for (const PlacedSolid& s : templeSolids) {
        low = {std::min(low.x, s.boundsMin.x), std::min(low.y, s.boundsMin.y), std::min(low.z, s.boundsMin.z)};
        high = {std::max(high.x, s.boundsMax.x), std::max(high.y, s.boundsMax.y), std::max(high.z, s.boundsMax.z)};
    }
    EXPECT_NEAR(low.y, 0.0, 0.01) << "the temple must stand on the ground";
    EXPECT_NEAR(high.y, 100.0, 0.01);
    EXPECT_NEAR(low.x, -50.0, 0.01);
    EXPECT_NEAR(high.z, 50.0, 0.01);

    // The camera circles inside at radius 22.5 to 30, height 20: no temple solid may reach
    // into the cylinder of radius 38 between the floor and the entablature.
    for (const PlacedSolid& s : templeSolids) {
        for (const auto& t : s.triangles) {
            for (const Point& p : t) {
                if (p.y > 9.5 && p.y < 57.0) {
                    EXPECT_GE(std::hypot(p.x, p.z), 37.9) << "at height " << p.y;
                }
            }
        }
    }

    // The pool stands on the floor's square opening: its rim is above the water, its floor well
    // below, and a point inside its walls is inside the pool and not inside the temple.
    const PlacedSolid& pool = basinSolids[0];
    EXPECT_NEAR(pool.boundsMax.y, 16.0, 0.01);
    EXPECT_NEAR(pool.boundsMin.y, 4.0, 0.01);
    EXPECT_TRUE(inside(pool, {14.2, 10.0, 0.3}));
    EXPECT_FALSE(inside(pool, {0.3, 10.0, 0.2})) << "the pool must be hollow";
    EXPECT_TRUE(inside(pool, {0.3, 5.0, 0.2})) << "the pool must have a floor";
    EXPECT_FALSE(insideAny(templeSolids, {0.3, 10.0, 0.2}));
    EXPECT_TRUE(insideAny(templeSolids, {0.3, 90.0, 0.2})) << "the roof is a solid";
    EXPECT_TRUE(insideAny(templeSolids, {48.0, 1.0, 0.3})) << "the platform is a solid";
}

TEST(AssetPlacementTest, WaterPlaneIsHiddenInsideThePoolWalls) {
    ImportedModel water = importModel("WaterPlane.dae");
    ImportedModel basin = importModel("Becken.dae");
    ASSERT_TRUE(water.imported && basin.imported);
    std::vector<PlacedSolid> waterParts = place(water, {30, 1, 30}, {0, 13.95, 0});
    std::vector<PlacedSolid> pool = place(basin, {30, 30, 30}, {0, 10, 0});
    ASSERT_EQ(pool.size(), 1u);
    for (const PlacedSolid& part : waterParts) {
        EXPECT_NEAR(part.boundsMin.y, 13.95, 1e-6);
        EXPECT_NEAR(part.boundsMax.y, 13.95, 1e-6);
        EXPECT_GE(part.boundsMin.x, pool[0].boundsMin.x - 1e-4);
        EXPECT_LE(part.boundsMax.x, pool[0].boundsMax.x + 1e-4);
        EXPECT_GE(part.boundsMin.z, pool[0].boundsMin.z - 1e-4);
        EXPECT_LE(part.boundsMax.z, pool[0].boundsMax.z + 1e-4);
    }
    // Just inside the outer edge at the water level lies wall, so the water's rim is buried.
    EXPECT_TRUE(inside(pool[0], {14.9, 13.95, 3.1}));
    EXPECT_TRUE(inside(pool[0], {-7.3, 13.95, -14.9}));
    EXPECT_GT(pool[0].boundsMax.y, 13.95 + 1.0);
}

TEST(AssetPlacementTest, CameraEyeNeverEntersTempleOrPool) {
    ImportedModel temple = importModel("Tempel.dae");
    ImportedModel basin = importModel("Becken.dae");
    ASSERT_TRUE(temple.imported && basin.imported);
    std::vector<PlacedSolid> solids = place(temple, {100, 100, 100}, {0, 50, 0});
    for (PlacedSolid& s : place(basin, {30, 30, 30}, {0, 10, 0}))
        solids.push_back(std::move(s));

    // The evaluation itself: half way through the first segment the eye is at z = 22.5.
    EXPECT_NEAR(eyeAt(0.5).x, 0.0, 1e-9);
    EXPECT_NEAR(eyeAt(0.5).z, 22.5, 1e-9);
    EXPECT_NEAR(eyeAt(4.0).y, 50.0, 1e-9);

    // Besides the eye itself, points 2 units away from it in every axis direction stay outside:
    // the near plane (distance 1, about as wide) must not cut into a column either.
    const double margin = 2.0;
    const Point offsets[7] = {{0, 0, 0},       {margin, 0, 0}, {-margin, 0, 0}, {0, margin, 0},
                              {0, -margin, 0}, {0, 0, margin}, {0, 0, -margin}};
    int collisions = 0;
    for (int i = 0; i < 8000; ++i) {
        double t = i / 1000.0;
        Point eye = eyeAt(t);
        for (const Point& o : offsets) {
            if (insideAny(solids, {eye.x + o.x, eye.y + o.y, eye.z + o.z})) {
                ++collisions;
                ADD_FAILURE() << "eye at t = " << t << " (" << eye.x << ", " << eye.y << ", " << eye.z
                              << ") is inside solid geometry";
                break;
            }
        }
        if (collisions > 5)
            break;
    }
    EXPECT_EQ(collisions, 0);
}

}  // namespace
