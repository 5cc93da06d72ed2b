#pragma once

#include "math/Mat4.h"

// A node of the scene: a local transform, an optional parent and a mirror that is applied
// on top of everything while the node is drawn in the reflection pass.
struct SceneObject {
    Mat4 local;                     // relative to the parent
    Mat4 reflection;                // applied last while reflected is true
    SceneObject* parent = nullptr;  // not owned
    bool reflected = false;         // set by every scene pass

    // reflection · parentWorld · local, recomputed on every call (nothing is cached).
    Mat4 worldMatrix() const;
};
