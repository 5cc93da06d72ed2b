#pragma once

// What the scene assembly, scene pass and shadow tests share: the real scene, loaded once per
// test process from the data directory the build fills, exactly as the program loads it.

#include "GLTestSupport.h"
#include "app/Renderer.h"

#include <gtest/gtest.h>
#include <unistd.h>

// Programs, scene and an 800 x 600 projection, as the program has them before its first frame.
inline Renderer& rendererWithScene()
{
    ensureGLContext();
    Renderer& renderer = Renderer::instance();
    if (renderer.water == nullptr) {
        // The paths inside the scene are relative to the data directory, like the program's.
        EXPECT_EQ(chdir(OKV_DATA_DIR), 0);
        StdoutCapture quiet;
        renderer.initShaders();
        renderer.loadScene();
        renderer.reshape(800, 600);
    }
    return renderer;
}
