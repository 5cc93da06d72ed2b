#pragma once

// The shadow volumes made visible. The program draws them into the stencil buffer only, with
// no colour; here the triangles its shadow-volume stages emit are captured with transform
// feedback, through a program built from the very same shader objects, and drawn afterwards
// translucent over a background, front faces and back faces in two colours, the sides and the
// caps in two pictures.

#include "Image.h"
#include "SceneSteps.h"
#include "gl/FrameBuffer.h"
#include "gl/VertexArrayObject.h"

#include <GL/glew.h>
#include <vector>

class ShadowVolumeView {
public:
    // Needs the program's shaders built (Renderer::initShaders). Builds its own two programs
    // and the buffer the captured triangles go to.
    ShadowVolumeView();

    // Captures what the shadow-volume program emits for one of its draws, with its uniforms as
    // they are now. Call it right after the draw. Leaves the shadow-volume program current.
    void capture(const DrawCall& call);

    // Copies the depth of the framebuffer bound for reading into target, which then decides
    // which volume faces lie behind the scene's surfaces. Call it after the depth pre-pass.
    void keepDepth(FrameBuffer& target, int width, int height);

    // The sides (or the caps) of everything captured so far, drawn over background into
    // target (whose colour texture must have the background's size) with the projection of
    // the captures, and read back.
    // Leaves framebuffer 0 bound, no program and no vertex array current, the viewport at the
    // background's size.
    Image draw(bool sides, const Image& background, Texture& targetTexture, FrameBuffer& target);

    // What the colours of the pictures stand for.
    static const std::vector<Swatch> sidesLegend;
    static const std::vector<Swatch> capsLegend;

private:
    GLuint captureProgram = 0;  // the program's own shadow-volume shaders, with gl_Position captured
    GLuint viewProgram = 0;     // draws the captured triangles
    GLuint buffer = 0;          // clip-space corners, three per captured triangle
    VertexArrayObject vertexArray;  // made at the first draw
    GLuint query = 0;
    GLuint triangles = 0;
    bool full = false;
};
