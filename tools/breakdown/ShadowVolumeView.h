#pragma once

// The shadow volumes made visible and counted. The program draws them into the stencil
// buffer only, with no colour, and counts only the fragments whose depth test fails. Here the
// triangles its shadow-volume stages emit are captured with transform feedback, by a program
// built from the very same shader objects that takes the place of the program's own for a
// frame; drawn again, they count every volume fragment in the stencil, and they are drawn
// translucent over a background, front faces and back faces in two colours, the sides and the
// caps in two pictures.

#include "common/Image.h"
#include "gl/FrameBuffer.h"
#include "gl/Texture.h"
#include "gl/VertexArrayObject.h"

#include <GL/glew.h>

class ShadowVolumeView {
public:
    // Needs the program's shaders built (Renderer::initShaders). Builds its own two programs
    // and the buffer the captured triangles go to.
    ShadowVolumeView();

    // From startCapturing to stopCapturing, Renderer::shadowVolumeProgram names the capturing
    // program, so the frame sets its uniforms on it and its shadow-volume steps run it. Call
    // them outside a frame.
    void startCapturing();
    void stopCapturing();

    // Around a shadow-volume step, while capturing: its triangles are kept.
    void beginStep();
    void endStep();
    // The last step's triangles drawn again into the bound target's stencil, cleared first,
    // so that it counts every volume fragment, whether its depth test fails or not. Call it
    // right after endStep; the stencil operations are left counting up.
    void countFragments();
    // Forgets the last step's triangles.
    void discardStep();

    // Copies the depth of the framebuffer bound for reading into target, which then decides
    // which volume faces lie behind the scene's surfaces. Call it after the depth pre-pass.
    void keepDepth(FrameBuffer& target, int width, int height);

    // The sides (or the caps) of the triangles kept, drawn over background into target, whose
    // colour texture must have the background's size, and read back. Front faces are blue,
    // back faces orange. Leaves framebuffer 0 bound, no program and no vertex array current,
    // the viewport at the background's size.
    Image draw(bool sides, const Image& background, Texture& targetTexture, FrameBuffer& target);

private:
    GLuint captureProgram = 0;   // the program's own shadow-volume shaders, with gl_Position captured
    GLuint programCaptured = 0;  // Renderer::shadowVolumeProgram while capturing
    GLuint viewProgram = 0;      // draws the captured triangles
    GLuint buffer = 0;           // clip-space corners, three per captured triangle
    VertexArrayObject vertexArray;
    GLuint query = 0;
    GLuint triangles = 0;  // captured so far
    GLuint stepFirst = 0;  // the first of the last step
    bool full = false;

    void drawTriangles(int part, GLuint first, GLuint count);
};
