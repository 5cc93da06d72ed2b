#pragma once

#include "gl/FrameBuffer.h"
#include "gl/Texture.h"
#include "scene/Renderable.h"

// The water surface. It owns the two 1024 x 1024 render targets the frame draws the
// reflected and the refracted scene into, and samples both with a moving wave normal map.
struct Water : Renderable {
    Texture* reflectionTexture = nullptr;
    Texture* refractionTexture = nullptr;
    Texture* bumpTexture = nullptr;  // not owned; may be null when the image failed to load
    FrameBuffer reflectionBuffer;
    FrameBuffer refractionBuffer;
    Mat4 textureCorrection;          // clip space to [0, 1] screen coordinates

    explicit Water(Texture* bumpTexture);

    // Binds reflection, refraction and wave map on units 0, 1, 2; leaves unit 2 active and
    // the program current.
    void draw() override;
};
