#pragma once

#include "math/MotionPath.h"
#include "math/Vec4.h"
#include "scene/SceneObject.h"

// The viewer. Eye and target ride their own paths; local is the view matrix, and since the
// camera has no parent and is never reflected its world matrix is that view matrix.
struct Camera : SceneObject {
    MotionPath eyePath;
    MotionPath targetPath;
    Vec4 position{0.0f, 0.0f, 0.0f, 1.0f};  // the eye of the last update

    // Places eye and target at t on their paths and rebuilds the view with lookAt.
    void update(float t);
    Vec4 getPosition() const;
};
