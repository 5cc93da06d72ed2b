#pragma once

#include "gl/FrameBuffer.h"
#include "gl/Texture.h"
#include "scene/Renderable.h"

// The water surface. It owns the two square render targets the frame draws the reflected
// and the refracted scene into, and samples both with a moving wave normal map.
struct Water : Renderable {
    // The plane the reflection pass mirrors the scene about and both off-screen passes cut
    // it at ("cutPlaneHeight").
    static constexpr float planeHeight = 14.0f;
    // The drawn surface lies just below that plane, so the cut images reach a little past
    // the waterline and no gap shows along it.
    static constexpr float surfaceHeight = planeHeight - 0.05f;
    // Width and height of both render targets in pixels; the frame's off-screen viewport.
    static constexpr GLsizei targetSize = 1024;

    Texture* reflectionTexture = nullptr;
    Texture* refractionTexture = nullptr;
    Texture* bumpTexture = nullptr;  // not owned; may be null when the image failed to load
    FrameBuffer reflectionBuffer;
    FrameBuffer refractionBuffer;
    Mat4 textureCorrection;  // clip space to [0, 1] screen coordinates

    explicit Water(Texture* bumpTexture);

    // Binds reflection, refraction and wave map on units 0, 1, 2; leaves unit 2 active and
    // the program current.
    void draw() override;
};
