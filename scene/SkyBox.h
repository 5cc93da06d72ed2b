#pragma once

#include "gl/Texture.h"
#include "math/Camera.h"
#include "scene/Renderable.h"

// The sky: a cube around the viewer that turns with the camera but never moves with it,
// drawn without depth testing. Leaves depth testing enabled and its program current.
struct SkyBox : Renderable {
    const Camera* camera;        // not owned; only its view matrix is read
    Texture* cubeMap = nullptr;  // not owned; null when the faces failed to load

    // Uploads the 8 corners (±10) and 36 indices into a new mesh that is never freed.
    explicit SkyBox(const Camera* camera);

    // The view rotation, with the mirror acting first while reflected.
    Mat4 skyMatrix() const;
    void draw() override;
};
