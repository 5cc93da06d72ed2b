#pragma once

#include "Geometry.h"

#include <string>

namespace assets {

// What the one material of a model is made of. Texture file names are stored as given,
// so they resolve relative to the directory the model is read from.
struct MaterialDescription {
    std::string name;
    std::string diffuseFile;
    std::string normalFile;
    float specular = 0.2f;  // grey specular colour; the demo's shader uses it as highlight tint
    float shininess = 16.0f;
};

// Writes mesh as one COLLADA 1.4.1 document with one geometry, one node and one material
// whose normal map sits in a <bump> slot, which Assimp's importer reports as its normals
// texture. upAxis is "Y_UP" or "Z_UP". Written by hand rather than through Assimp's exporter
// because the exporter stamps the current date into every file, and the generator must be
// deterministic. Returns false when the file cannot be written.
bool writeCollada(const std::string& path, const std::string& modelName, const MeshData& mesh,
                  const MaterialDescription& material, const std::string& upAxis);

}  // namespace assets
