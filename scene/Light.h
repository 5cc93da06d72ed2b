#pragma once

#include "math/MotionPath.h"
#include "math/Vec4.h"
#include "scene/Renderable.h"

// The one point light: it follows its path, keeps its size, and is drawn as a small mesh
// in its own colour. Its draw leaves its program current.
struct Light : Renderable {
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    MotionPath path;

    void draw() override;
    Vec4 getColor() const;
    // Translation of the world matrix (mirrored while reflected), with w = 1.
    Vec4 getWorldPosition() const;
    // local := T(path point at t) · S(current axis scales): rotation and mirroring are dropped.
    void animate(float t);
};
