#pragma once

#include "loader/Material.h"
#include "scene/Renderable.h"

#include <vector>

// A model drawn material by material, each with its own textures on units 0 (diffuse) and
// 1 (normal map), colour and shininess. Leaves its program released and, once it has drawn a
// material, unit 1 active.
struct Common3DObject : Renderable {
    std::vector<Material*>* materials = nullptr;  // not owned

    void draw() override;
};
