#pragma once

#include "gl/Mesh.h"
#include "gl/Texture.h"
#include "gl/Vertex.h"
#include "loader/ChildTask.h"
#include "loader/DecodedImage.h"
#include "loader/EdgeTable.h"
#include "loader/Material.h"
#include "loader/ReadAhead.h"
#include "loader/Triangle.h"

#include <GL/glew.h>
#include <array>
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Imports COLLADA models into meshes and materials, and images into textures, reporting
// every problem on the console (and in "assimp_log.txt") and carrying on with what it has.
// One loader lives through one scene assembly; what it hands out outlives it.
//
// The fields hold the state of one import; reset() clears it at the start of the next one.
// They are public so that each step can be checked on its own.
class DataLoader {
public:
    // A raw position exactly as the imported mesh holds it; std::array compares
    // lexicographically with exact float comparison, which is the welding rule.
    using RawPosition = std::array<float, 3>;

    // The importer's real-time quality preset: tangents, joined vertices, triangulation, smooth
    // normals, split large meshes, limited bone weights, cache locality, redundant materials
    // removed, sorting by primitive type, degenerates, invalid data and generated UVs.
    static constexpr unsigned int importFlags = aiProcessPreset_TargetRealtime_Quality;

    Assimp::Importer importer;                // owns the last imported scene
    std::vector<Vertex> vertices;             // every vertex of every mesh of the import
    uint32_t vertexBase = 0;                  // vertices gathered before the current mesh
    std::map<RawPosition, uint32_t> weldMap;  // raw position -> first vertex gathered there
    EdgeTable edgeTable;                      // welded edge -> the triangles on it
    std::vector<Triangle> triangles;          // entry i has number i
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    float boundsMax[3] = {0.0f, 0.0f, 0.0f};  // of the mapped raw positions
    float boundsMin[3] = {0.0f, 0.0f, 0.0f};
    double fitScale = 1.0;                  // 1 / largest extent (in double: see fitBounds)
    double fitOffset[3] = {0.0, 0.0, 0.0};  // negated centre of the bounds
    int32_t axis[3] = {0, 1, 2};            // output coordinate c = sign[c] * raw[axis[c]]
    int32_t sign[3] = {1, 1, 1};
    bool adjacency = false;  // flag of the current loadModel call
    bool closed = true;      // no free edge met in the adjacency output
    int32_t freeEdges = 0;   // edges of the current output without a neighbour

    // Process-wide, never cleared nor destroyed (like everything loaded): what each path
    // (directory + file name) was loaded into.
    static std::map<std::string, Mesh*>& meshRegistry;
    static std::map<std::string, std::vector<Material*>*>& materialRegistry;

    // The scene's files, read ahead of the program when startReading was called; and the limits
    // of the image library's child for each image file.
    std::optional<ReadAhead> readAhead;
    ChildLimits decodingLimits = imageLimits;

    // Starts the two loggers (the second, on "assimp_log.txt", replaces the first) and DevIL.
    DataLoader();
    // Kills the logger; meshes, materials and textures already handed out stay valid.
    ~DataLoader();
    DataLoader(const DataLoader&) = delete;
    DataLoader& operator=(const DataLoader&) = delete;

    // Fills the caller's mesh and material list from directory + fileName. orientation picks
    // the source axis that becomes +Y (0 to 5); withAdjacency asks for six indices per
    // triangle. Needs the GL context; the mesh's GL objects must not exist yet.
    void loadModel(const std::string& directory, const std::string& fileName, int orientation, bool withAdjacency,
                   Mesh* mesh, std::vector<Material*>* materials);
    // A new 2D texture owned by the caller, or null. Needs the GL context.
    Texture* loadTexture(const std::string& path);
    // A new cube map from "PX.png" ... "NZ.png" in directory, owned by the caller, or null.
    // Needs the GL context.
    Texture* loadCubeMap(const std::string& directory);

    // Starts reading the files ahead, in the order the calls below will take them: the models
    // (directory + file name) that loadModel loads, and the images loadTexture and loadCubeMap
    // read. Where there is no fork, nothing is read ahead.
    void startReading(const std::vector<ReadAhead::File>& files);

    // Sends text to the import log.
    void logInfo(const std::string& text);
    // Empties the lists, maps and counters of the last import; keeps axis, sign, adjacency.
    void reset();
    // Sets axis and sign from an orientation code; codes outside 0 to 5 are reported and
    // taken as 2 (identity).
    void setOrientation(int orientation);

    // Widens boundsMin/boundsMax by the mapped positions of every mesh below node.
    void measureBounds(const aiScene* scene, const aiNode* node);
    // fitScale and fitOffset from the bounds measured so far.
    void fitBounds();
    // Appends the vertices and triangles of every mesh below node, depth first.
    void gatherGeometry(const aiScene* scene, const aiNode* node);
    // The index list (3 or 6 per triangle), materials in ascending number; fills each
    // material's range and copies the welded normalAV into every drawn corner.
    std::vector<GLuint> writeIndexList(uint32_t materialCount, std::vector<Material*>* materials);
    // Accumulated and orthonormalised tangent frames for the index list just written.
    std::vector<Vertex> writeVertexList(const std::vector<GLuint>& indices);

    // Adds one triangle's tangent and bitangent (Lengyel) to all three records.
    static void accumulateTangents(Vertex& a, Vertex& b, Vertex& c);
    // Makes tangent and bitangent unit length and orthogonal to the normal, which the gathering
    // leaves at unit length (or zero, for a vertex without one).
    static void orthonormaliseTangentFrame(Vertex& vertex);

    // Enters the three edges of the triangle just appended to triangles.
    void registerEdges(const Triangle& triangle);
    // The welded vertex opposite edge k (corner k to corner k + 1) in the neighbouring
    // triangle, or the triangle's own third corner for a free edge.
    uint32_t emitAdjacency(const Triangle& triangle, int k);

    // Appends one Material per scene material, in scene order.
    void loadMaterials(const std::string& directory, const aiScene* scene, std::vector<Material*>* materials);
    // Texture 0 of type, loaded from directory + its stored path, or null.
    Texture* loadMaterialTexture(const std::string& directory, const aiMaterial* material, aiTextureType type);
    // The image decoded from path: read ahead, or decoded now in a child of its own.
    DecodedImage takeImage(const std::string& path);
    // Reports an image that gives no texture ("Couldn't load image: ", with the image library's
    // fault, or "Couldn't convert image"); false for a decoded one.
    bool reportUnusable(const std::string& path, const DecodedImage& image);

    // Prints text with a newline and sends it to the import log.
    void report(const std::string& text);
};
