#include "loader/DataLoader.h"

#include "loader/ImporterFault.h"
#include "loader/ImporterHazard.h"

#include <IL/il.h>
#include <assimp/DefaultLogger.hpp>
#include <assimp/Logger.hpp>
#include <cfloat>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

// Allocated once and never destroyed, so the lists they hold stay reachable until the very
// end of the process, as the meshes and materials themselves do.
std::map<std::string, Mesh*>& DataLoader::meshRegistry = *new std::map<std::string, Mesh*>();
std::map<std::string, std::vector<Material*>*>& DataLoader::materialRegistry =
    *new std::map<std::string, std::vector<Material*>*>();

namespace {

// The imported meshes were built and checked with exactly these steps; an Assimp whose
// preset means something else would change every model without a word.
static_assert(DataLoader::importFlags == 0x79ACB, "Assimp's real-time quality preset changed");

struct Orientation {
    int32_t axis[3];
    int32_t sign[3];
};

// Row c: the source axis that becomes +X, +Y, -X, -Y, +Z, -Z in turn becomes +Y. Every row is
// a rotation (determinant +1), so triangles keep their winding.
constexpr Orientation orientations[6] = {
    {{1, 0, 2}, {-1, 1, 1}},   // 0: +X up
    {{1, 0, 2}, {1, -1, 1}},   // 1: -X up
    {{0, 1, 2}, {1, 1, 1}},    // 2: +Y up
    {{0, 1, 2}, {1, -1, -1}},  // 3: -Y up
    {{0, 2, 1}, {1, 1, -1}},   // 4: +Z up
    {{0, 2, 1}, {1, -1, 1}},   // 5: -Z up
};

}  // namespace

DataLoader::DataLoader()
{
    // The second create deletes the first logger, so the import log ends up in the file only.
    // The severity is named, not numbered: this Assimp counts NORMAL, DEBUGGING, VERBOSE.
    Assimp::DefaultLogger::create("", Assimp::Logger::VERBOSE, aiDefaultLogStream_STDOUT, nullptr);
    Assimp::DefaultLogger::create("assimp_log.txt", Assimp::Logger::VERBOSE, aiDefaultLogStream_FILE, nullptr);
    Assimp::DefaultLogger::get()->info("this is my info-call");
    ilInit();
}

DataLoader::~DataLoader()
{
    // Before the importer goes: its destruction may still log through the global logger.
    Assimp::DefaultLogger::kill();
}

void DataLoader::logInfo(const std::string& text)
{
    Assimp::DefaultLogger::get()->info(text.c_str());
}

void DataLoader::report(const std::string& text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
    logInfo(text);
}

void DataLoader::startReading(const std::vector<ReadAhead::File>& files)
{
#ifdef _WIN32
    // Without fork the reader's work would run in the program itself, each import twice.
    (void)files;
#else
    readAhead.emplace(files, importFlags, decodingLimits);
#endif
}

void DataLoader::reset()
{
    vertices.clear();
    weldMap.clear();
    edgeTable.clear();
    triangles.clear();
    closed = true;
    freeEdges = 0;
    fitScale = 1.0;
    vertexCount = 0;
    indexCount = 0;
    vertexBase = 0;
    for (int c = 0; c < 3; ++c) {
        fitOffset[c] = 0.0;
        boundsMax[c] = -FLT_MAX;
        boundsMin[c] = FLT_MAX;
    }
}

void DataLoader::setOrientation(int orientation)
{
    if (orientation < 0 || orientation > 5) {
        report("DataLoader::loadModel(): orientation " + std::to_string(orientation) +
               " is not 0 to 5, taken as 2 (+Y up)");
        orientation = 2;
    }
    for (int c = 0; c < 3; ++c) {
        axis[c] = orientations[orientation].axis[c];
        sign[c] = orientations[orientation].sign[c];
    }
}

void DataLoader::loadModel(const std::string& directory, const std::string& fileName, int orientation,
                           bool withAdjacency, Mesh* mesh, std::vector<Material*>* materials)
{
    adjacency = withAdjacency;
    const std::string path = directory + fileName;

    const auto registered = meshRegistry.find(path);
    if (registered != meshRegistry.end() && registered->second != nullptr) {
        // A second caller gets the first load's GL objects and copies of its material records
        // (sharing their textures), so it draws the same model without importing it again.
        if (mesh != registered->second)
            *mesh = *registered->second;
        const std::vector<Material*>* first = materialRegistry[path];
        if (first != nullptr && materials != first)
            for (const Material* material : *first)
                materials->push_back(new Material(*material));
        return;
    }

    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        std::printf("Couldn't open file: %s", path.c_str());
        std::fflush(stdout);
        logInfo(importer.GetErrorString());
        return;
    }
    // A file that would set off a known fault of the importer itself is not imported.
    // It ends like an import that fails: the reason goes to the log, and nothing is printed.
    const std::string hazard = findImporterHazard({std::istreambuf_iterator<char>(file), {}});
    file.close();
    if (!hazard.empty()) {
        logInfo("Not imported, " + path + ": " + hazard);
        return;
    }
    // The faults of the importer that no look at the text foresees (a crash, an abort,
    // an import without end) end a child process that imports the file first, not the program:
    // the one that read the file ahead, or one started now.
    const std::optional<std::string> lookedAhead = readAhead ? readAhead->takeModelLook(path) : std::nullopt;
    const std::string fault = lookedAhead ? *lookedAhead : findImporterFault(importer, path, importFlags);
    if (!fault.empty()) {
        logInfo("Not imported, " + path + ": " + fault);
        return;
    }

    const aiScene* scene = importer.ReadFile(path, importFlags);
    if (scene == nullptr) {
        logInfo(importer.GetErrorString());
        return;
    }

    setOrientation(orientation);
    logInfo("Import of scene " + fileName + " succeeded.");
    reset();
    meshRegistry[path] = mesh;
    const size_t firstMaterial = materials->size();
    loadMaterials(directory, scene, materials);
    materialRegistry[path] = materials;

    measureBounds(scene, scene->mRootNode);
    fitBounds();
    gatherGeometry(scene, scene->mRootNode);

    indexCount = uint32_t(triangles.size()) * (adjacency ? 6 : 3);
    std::printf("vertices count %d\n", int(vertexCount));
    std::printf("index count %d\n", int(indexCount));

    // Entry j of the scene's materials is the j-th record loadMaterials appended, also when
    // the caller's list was not empty.
    std::vector<Material*> sceneMaterials(materials->begin() + std::ptrdiff_t(firstMaterial), materials->end());
    const std::vector<GLuint> indices = writeIndexList(scene->mNumMaterials, &sceneMaterials);
    std::printf("Free Edges:%d\n", freeEdges);
    std::fflush(stdout);

    const std::vector<Vertex> output = writeVertexList(indices);
    mesh->upload(indices.data(), indexCount, output.data(), vertexCount, adjacency);
    mesh->closed = closed;
}
