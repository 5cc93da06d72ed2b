#pragma once

#include "gl/Texture.h"

#include <GL/glew.h>
#include <string>

// What one material of an imported model draws with, and which part of the mesh's index
// list holds its triangles. The caller of loadModel owns the record and its textures.
struct Material {
    Texture* diffuseTexture = nullptr;
    Texture* normalTexture = nullptr;  // normal map in tangent space
    std::string name;
    float ambientColor[3] = {0.0f, 0.0f, 0.0f};
    float shininess = 1.0f;
    GLuint firstIndex = 0;
    GLuint indexCount = 0;
};
