#pragma once

#include "app/FrameObserver.h"
#include "app/RenderLists.h"
#include "math/Camera.h"
#include "math/Mat4.h"
#include "scene/Light.h"
#include "scene/SkyBox.h"
#include "scene/Water.h"

#include <GL/glew.h>
#include <cstdint>

// The one application object: window, programs, scene and clock. Created on first use by
// instance() and never destroyed. Everything runs on the main thread that owns the context.
class Renderer {
public:
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;  // never 0 after a reshape
    GLuint defaultProgram = 0;
    GLuint waterProgram = 0;
    GLuint miniProgram = 0;  // depth only
    GLuint lightProgram = 0;
    GLuint skyProgram = 0;
    GLuint shadowVolumeProgram = 0;
    RenderLists screenLists;
    RenderLists refractionLists;
    RenderLists reflectionLists;
    Camera camera;
    SkyBox* skyBox = nullptr;
    Light light;
    Mat4 reflectionMatrix;     // mirror in the water plane y = Water::planeHeight
    Mat4 skyReflectionMatrix;  // mirror in y = 0, for the sky box
    Water* water = nullptr;
    float animationTime = 0.0f;
    int32_t lastFrameTime = 0;               // GLUT elapsed milliseconds at the previous frame
    FrameObserver* frameObserver = nullptr;  // null in the program; tools and tests set one

    static Renderer& instance();

    // Creates the window and its 3.2 core context, loads GL entry points and registers the
    // callbacks. argc and argv go to freeglut unchanged. Where the display gives no 3.2 core
    // context, ends the program with one line on standard error (OpenGLRequirement.h).
    void initWindow(int* argc, char** argv);
    // Builds the six programs, the mirror matrices and the fixed GL state. Leaves
    // miniProgram current.
    void initShaders();
    // Loads and places the fixed scene and fills the render lists.
    void loadScene();
    // Appends the fixed eye and target paths to the camera.
    void buildCameraPaths();
    // Advances the clock from the GLUT timer, renders the frame at the new animation time,
    // swaps the buffers and asks for the next frame.
    void renderFrame();
    // The frame at an animation time, into the back buffer: camera and light moved there, the
    // per-frame uniforms, the three passes. Reads no clock and swaps no buffers; the tools
    // and tests render their frames with it.
    void renderFrameAt(float time);
    void renderScenePass(GLenum drawBuffer, bool mirrored, const std::vector<Renderable*>& depthObjects,
                         const std::vector<Renderable*>& shadowCasters, const std::vector<Renderable*>& litObjects);
    // Viewport and projection for a window of width x height. Leaves waterProgram current.
    void reshape(int width, int height);
    // The projection reshape gives every program, for the current window size.
    Mat4 projectionMatrix() const;

private:
    Renderer() = default;

    // renderScenePass for one pass of the frame, told to the observer.
    void renderPass(ScenePass pass, GLenum drawBuffer, const RenderLists& lists);
    // The steps of renderScenePass, in its order (ScenePass.cpp).
    void clearTarget(bool mirrored, const std::vector<Renderable*>& litObjects,
                     const std::vector<Renderable*>& shadowCasters, const std::vector<Renderable*>& depthObjects);
    void depthPrePass(const std::vector<Renderable*>& depthObjects);
    void shadowVolumes(bool mirrored, const std::vector<Renderable*>& shadowCasters);
    void skyAndLight(GLenum drawBuffer);
    void litPass(const std::vector<Renderable*>& litObjects);
    void ambientPass(const std::vector<Renderable*>& litObjects);
};
