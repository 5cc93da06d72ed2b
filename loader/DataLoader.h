#pragma once

#include "gl/Mesh.h"
#include "gl/Texture.h"
#include "loader/Material.h"

#include <string>
#include <vector>

// Imports COLLADA models into meshes and materials, and images into textures, reporting
// every problem on the console (and in "assimp_log.txt") and carrying on with what it has.
// One loader lives through one scene assembly; what it hands out outlives it.
// (The import state fields arrive with the importer.)
class DataLoader {
public:
    DataLoader();
    ~DataLoader();
    DataLoader(const DataLoader&) = delete;
    DataLoader& operator=(const DataLoader&) = delete;

    // Fills the caller's mesh and material list from directory + fileName. orientation picks
    // the source axis that becomes +Y (0 to 5); adjacency asks for six indices per triangle.
    void loadModel(const std::string& directory, const std::string& fileName, int orientation, bool adjacency,
                   Mesh* mesh, std::vector<Material*>* materials);
    // A new 2D texture owned by the caller, or null.
    Texture* loadTexture(const std::string& path);
    // A new cube map from "PX.png" ... "NZ.png" in directory, owned by the caller, or null.
    Texture* loadCubeMap(const std::string& directory);
};
