// The generated models, checked with plain Assimp and geometry written here, independently of
// the generator's code and of the program's loader.

#include "Point.h"

#include "app/Renderer.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

namespace {

const std::string modelDirectory = std::string(OKV_ASSETS_DATA_DIR) + "/models/";
// The program's import flags: Assimp's real-time quality preset.
const unsigned importFlags = 0x79ACB;

struct Bounds {
    Point min{1e30, 1e30, 1e30}, max{-1e30, -1e30, -1e30};
    void add(Point p)
    {
        min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
        max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
    }
};

// Every triangle of one file as the importer returns it, walked through the node tree like the
// program does (mesh coordinates, node transforms ignored), with corners welded by exact raw
// position across all meshes.
struct ImportedModel {
    bool imported = false;
    std::vector<std::array<Point, 3>> triangles;
    std::vector<std::array<uint32_t, 3>> welded;
    uint32_t weldedCount = 0;
    Bounds bounds;
    unsigned materialCount = 0;
    std::string diffuseTexture, normalTexture;
    bool everyMeshHasNormalsAndUv = true;
    size_t nonTriangleFaces = 0;
    size_t flatUvTriangles = 0;  // tangent frames come from UV area; these have none
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
            std::array<Point, 3> corners, uv{};
            std::array<uint32_t, 3> welded{};
            for (int c = 0; c < 3; ++c) {
                const aiVector3D& p = mesh->mVertices[face.mIndices[c]];
                corners[c] = {p.x, p.y, p.z};
                welded[c] = weldMap.emplace(std::array<float, 3>{p.x, p.y, p.z}, weldMap.size()).first->second;
                if (mesh->HasTextureCoords(0))
                    uv[c] = {mesh->mTextureCoords[0][face.mIndices[c]].x, mesh->mTextureCoords[0][face.mIndices[c]].y};
                model.bounds.add(corners[c]);
            }
            model.flatUvTriangles += std::fabs(cross(uv[1] - uv[0], uv[2] - uv[0]).z) < 1e-9;
            model.triangles.push_back(corners);
            model.welded.push_back(welded);
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
    model.weldedCount = uint32_t(weldMap.size());
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

// A model as the scene places it: fitted into a unit box around the origin (bounds centred,
// divided by the largest extent), then scaled and moved.
struct PlacedSolid {
    std::vector<std::array<Point, 3>> triangles;
    Bounds bounds;
};

std::vector<PlacedSolid> place(const ImportedModel& model, Point scale, Point offset) {
    const Bounds& b = model.bounds;
    Point centre{(b.min.x + b.max.x) / 2, (b.min.y + b.max.y) / 2, (b.min.z + b.max.z) / 2};
    double extent = std::max({b.max.x - b.min.x, b.max.y - b.min.y, b.max.z - b.min.z});
    std::vector<PlacedSolid> solids;
    for (const auto& group : components(model)) {
        PlacedSolid& solid = solids.emplace_back();
        for (size_t t : group) {
            std::array<Point, 3> placed;
            for (int c = 0; c < 3; ++c) {
                Point p = model.triangles[t][c] - centre;
                placed[c] = {p.x / extent * scale.x + offset.x, p.y / extent * scale.y + offset.y,
                             p.z / extent * scale.z + offset.z};
                solid.bounds.add(placed[c]);
            }
            solid.triangles.push_back(placed);
        }
    }
    return solids;
}

std::vector<PlacedSolid> placedTemple() { return place(importModel("Tempel.dae"), {100, 100, 100}, {0, 50, 0}); }
std::vector<PlacedSolid> placedPool() { return place(importModel("Becken.dae"), {30, 30, 30}, {0, 10, 0}); }

// Whether a point is inside one closed solid: the solid angle its triangles span seen from the
// point is 4π inside and 0 outside (van Oosterom and Strackee's formula per triangle).
bool inside(const PlacedSolid& solid, Point p) {
    const Bounds& b = solid.bounds;
    if (p.x < b.min.x || p.y < b.min.y || p.z < b.min.z || p.x > b.max.x || p.y > b.max.y || p.z > b.max.z)
        return false;
    double solidAngle = 0;
    for (const auto& t : solid.triangles) {
        const Point u = t[0] - p, v = t[1] - p, w = t[2] - p;
        const double lu = std::sqrt(dot(u, u)), lv = std::sqrt(dot(v, v)), lw = std::sqrt(dot(w, w));
        solidAngle +=
            2 * std::atan2(dot(u, cross(v, w)), lu * lv * lw + dot(u, v) * lw + dot(u, w) * lv + dot(v, w) * lu);
    }
    return std::fabs(solidAngle) > 2 * M_PI;
}

bool insideAny(const std::vector<PlacedSolid>& solids, Point p) {
    for (const PlacedSolid& solid : solids)
        if (inside(solid, p))
            return true;
    return false;
}

TEST(AssetModelTest, ImportsWithTexturesNormalsAndCoordinatesAndClosedOnesAreOutwardSolids) {
    // closed: watertight solids, which the shadow pass treats as volumes; the triangle budget
    // keeps the shadow pass, which extrudes every caster, fast.
    for (auto [file, closed, triangleBudget] :
         {std::tuple{"Tempel.dae", true, 6000u}, {"Becken.dae", true, 500u}, {"Ground.dae", false, 4000u},
          {"WaterPlane.dae", false, 500u}, {"sphere.dae", false, 2000u}}) {
        SCOPED_TRACE(file);
        const ImportedModel model = importModel(file);
        EXPECT_TRUE(model.imported);
        EXPECT_EQ(model.materialCount, 1u);
        EXPECT_TRUE(model.everyMeshHasNormalsAndUv);
        EXPECT_EQ(model.nonTriangleFaces, 0u);
        EXPECT_GT(model.triangles.size(), 0u);
        EXPECT_LE(model.triangles.size(), triangleBudget);
        EXPECT_EQ(model.flatUvTriangles, 0u);
        // The loader opens directory + the stored path, so both textures must sit beside the model.
        EXPECT_NE(model.diffuseTexture, model.normalTexture);
        EXPECT_TRUE(std::filesystem::is_regular_file(modelDirectory + model.diffuseTexture)) << model.diffuseTexture;
        EXPECT_TRUE(std::filesystem::is_regular_file(modelDirectory + model.normalTexture)) << model.normalTexture;
        if (!closed)
            continue;
        EXPECT_EQ(manifoldFaults(model), 0u);
        for (const auto& group : components(model)) {
            double signedVolume = 0;
            for (size_t t : group)
                signedVolume += dot(model.triangles[t][0], cross(model.triangles[t][1], model.triangles[t][2])) / 6.0;
            EXPECT_GT(signedVolume, 0.0) << "a solid winds inward";
        }
    }
}

TEST(AssetPlacementTest, TempleStandsOnTheGroundAroundThePoolAndHidesTheWaterRim) {
    const std::vector<PlacedSolid> templeSolids = placedTemple();
    const std::vector<PlacedSolid> basinSolids = placedPool();
    ASSERT_EQ(basinSolids.size(), 1u);
    EXPECT_GE(templeSolids.size(), 4u) << "platform, columns, entablature and roof are separate solids";

    Bounds temple;
    for (const PlacedSolid& s : templeSolids) {
        temple.add(s.bounds.min);
        temple.add(s.bounds.max);
    }
    EXPECT_NEAR(temple.min.y, 0.0, 0.01) << "the temple must stand on the ground";
    EXPECT_NEAR(temple.max.y, 100.0, 0.01);
    EXPECT_NEAR(temple.min.x, -50.0, 0.01);
    EXPECT_NEAR(temple.max.z, 50.0, 0.01);

    // The camera circles inside at radius 22.5 to 30, height 20: no temple solid may reach
    // into the cylinder of radius 38 between the floor and the entablature.
    for (const PlacedSolid& s : templeSolids)
        for (const auto& t : s.triangles)
            for (const Point& p : t)
                if (p.y > 9.5 && p.y < 57.0) {
                    EXPECT_GE(std::hypot(p.x, p.z), 37.9) << "at height " << p.y;
                }

    // The pool stands on the floor's square opening: its rim is above the water, its floor well
    // below, and a point inside its walls is inside the pool and not inside the temple.
    const PlacedSolid& pool = basinSolids[0];
    EXPECT_NEAR(pool.bounds.max.y, 16.0, 0.01);
    EXPECT_NEAR(pool.bounds.min.y, 4.0, 0.01);
    EXPECT_TRUE(inside(pool, {14.2, 10.0, 0.3}));
    EXPECT_FALSE(inside(pool, {0.3, 10.0, 0.2})) << "the pool must be hollow";
    EXPECT_TRUE(inside(pool, {0.3, 5.0, 0.2})) << "the pool must have a floor";
    EXPECT_FALSE(insideAny(templeSolids, {0.3, 10.0, 0.2}));
    EXPECT_TRUE(insideAny(templeSolids, {0.3, 90.0, 0.2})) << "the roof is a solid";
    EXPECT_TRUE(insideAny(templeSolids, {48.0, 1.0, 0.3})) << "the platform is a solid";

    // The water plane lies within the pool's outline, and just inside the outer edge at the
    // water level lies wall, so the water's rim is buried.
    for (const PlacedSolid& part : place(importModel("WaterPlane.dae"), {30, 1, 30}, {0, 13.95, 0})) {
        EXPECT_NEAR(part.bounds.min.y, 13.95, 1e-6);
        EXPECT_NEAR(part.bounds.max.y, 13.95, 1e-6);
        EXPECT_GE(part.bounds.min.x, pool.bounds.min.x - 1e-4);
        EXPECT_LE(part.bounds.max.x, pool.bounds.max.x + 1e-4);
        EXPECT_GE(part.bounds.min.z, pool.bounds.min.z - 1e-4);
        EXPECT_LE(part.bounds.max.z, pool.bounds.max.z + 1e-4);
    }
    EXPECT_TRUE(inside(pool, {14.9, 13.95, 3.1}));
    EXPECT_TRUE(inside(pool, {-7.3, 13.95, -14.9}));
}

TEST(AssetPlacementTest, CameraEyeNeverEntersTempleOrPool) {
    std::vector<PlacedSolid> solids = placedTemple();
    for (PlacedSolid& s : placedPool())
        solids.push_back(std::move(s));
    // The program's own eye path, built once per process because building appends to it.
    Renderer& renderer = Renderer::instance();
    if (renderer.camera.eyePath.points.empty())
        renderer.buildCameraPaths();
    const MotionPath& eyePath = renderer.camera.eyePath;

    // Besides the eye itself, points 2 units away from it in every axis direction stay outside:
    // the near plane (distance 1, about as wide) must not cut into a column either.
    const double margin = 2.0;
    const Point offsets[7] = {{0, 0, 0},       {margin, 0, 0}, {-margin, 0, 0}, {0, margin, 0},
                              {0, -margin, 0}, {0, 0, margin}, {0, 0, -margin}};
    int collisions = 0;
    for (int i = 0; i < 8000 && collisions <= 5; ++i) {
        const Vec4 eye = eyePath.evaluate(i / 1000.0f);
        for (const Point& o : offsets) {
            if (insideAny(solids, {eye.x + o.x, eye.y + o.y, eye.z + o.z})) {
                ++collisions;
                ADD_FAILURE() << "eye at t = " << i / 1000.0 << " (" << eye.x << ", " << eye.y << ", " << eye.z
                              << ") is inside solid geometry";
                break;
            }
        }
    }
    EXPECT_EQ(collisions, 0);
}

}  // namespace
