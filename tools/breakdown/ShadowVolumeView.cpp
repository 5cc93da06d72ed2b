#include "ShadowVolumeView.h"

#include "app/Renderer.h"
#include "app/ShaderPrograms.h"
#include "common/ReadBack.h"
#include "gl/ProgramCache.h"
#include "gl/Uniforms.h"

#include <cstdio>
#include <utility>

namespace {

constexpr GLsizeiptr captureBytes = GLsizeiptr(256) << 20;        // room for 5.6 million triangles
constexpr GLsizeiptr bytesPerTriangle = sizeof(GLfloat) * 4 * 3;  // three clip positions
constexpr GLuint clipPositionLocation = 0;
constexpr float hiddenOpacity = 0.1f;  // volume faces behind the scene's surfaces
constexpr float openOpacity = 0.35f;   // and in front of them
// "part" of the view program.
constexpr int caps = 0, sides = 1, everyFace = 2;

}  // namespace

ShadowVolumeView::ShadowVolumeView()
{
    const GLuint program = Renderer::instance().shadowVolumeProgram;
    captureProgram = glCreateProgram();
    GLuint shaders[2] = {};
    GLsizei shaderCount = 0;
    glGetAttachedShaders(program, 2, &shaderCount, shaders);
    for (GLsizei i = 0; i < shaderCount; ++i)
        glAttachShader(captureProgram, shaders[i]);
    glBindAttribLocation(captureProgram, PositionLocation, "in_Position");
    glBindAttribLocation(captureProgram, NormalAVLocation, "in_NormalAV");
    const char* const captured[] = {"gl_Position"};
    glTransformFeedbackVaryings(captureProgram, 1, captured, GL_INTERLEAVED_ATTRIBS);
    glLinkProgram(captureProgram);
    checkStatus(captureProgram);

    viewProgram = glCreateProgram();
    const std::string directory = OKV_BREAKDOWN_SHADER_DIR "/";
    loadShader(&viewProgram, GL_VERTEX_SHADER, directory + "ShadowVolumeView.vert.glsl");
    loadShader(&viewProgram, GL_GEOMETRY_SHADER, directory + "ShadowVolumeView.geom.glsl");
    loadShader(&viewProgram, GL_FRAGMENT_SHADER, directory + "ShadowVolumeView.frag.glsl");
    glBindAttribLocation(viewProgram, clipPositionLocation, "clipPosition");
    glLinkProgram(viewProgram);
    checkStatus(viewProgram);

    glGenBuffers(1, &buffer);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, buffer);
    glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, captureBytes, nullptr, GL_STATIC_COPY);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, 0);
    glGenQueries(1, &query);

    // Through the program's vertex-array cache, which must keep mirroring the binding.
    glGenVertexArrays(1, &vertexArray.id);
    vertexArray.bind();
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(clipPositionLocation, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(clipPositionLocation);
    VertexArrayObject::unbind();
}

void ShadowVolumeView::startCapturing()
{
    Renderer& renderer = Renderer::instance();
    programCaptured = renderer.shadowVolumeProgram;
    renderer.shadowVolumeProgram = captureProgram;
    // The frame sets every other uniform of the shadow-volume contract; reshape sets this one.
    setUniform(captureProgram, "ProjectionMatrix", renderer.projectionMatrix());
}

void ShadowVolumeView::stopCapturing()
{
    Renderer::instance().shadowVolumeProgram = programCaptured;
}

// Transform feedback must not see a program change. The step makes the capturing program
// current through the program cache, which finds it current already and calls no GL.
void ShadowVolumeView::beginStep()
{
    stepFirst = triangles;
    useProgram(captureProgram);
    const GLintptr offset = GLintptr(triangles) * bytesPerTriangle;
    glBindBufferRange(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffer, offset, captureBytes - offset);
    glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, query);
    glBeginTransformFeedback(GL_TRIANGLES);
}

void ShadowVolumeView::endStep()
{
    glEndTransformFeedback();
    glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
    GLuint written = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &written);
    triangles += written;
    // Transform feedback stops writing at the end of the buffer and says nothing.
    if (GLsizeiptr(triangles) * bytesPerTriangle >= captureBytes && !full) {
        std::fprintf(stderr, "okv_breakdown: the capture buffer is full; the volume figures are incomplete\n");
        full = true;
    }
}

// The captured corners are the very positions the step rasterised, so they cover the very
// same fragments; depth clamping is still on, as the step left it.
void ShadowVolumeView::countFragments()
{
    glClear(GL_STENCIL_BUFFER_BIT);
    glStencilOpSeparate(GL_FRONT_AND_BACK, GL_KEEP, GL_INCR, GL_INCR);
    drawTriangles(everyFace, stepFirst, triangles - stepFirst);
}

void ShadowVolumeView::discardStep()
{
    triangles = stepFirst;
}

void ShadowVolumeView::keepDepth(FrameBuffer& target, int width, int height)
{
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target.id);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(bound));
}

Image ShadowVolumeView::draw(bool showSides, const Image& background, Texture& targetTexture, FrameBuffer& target)
{
    // GL takes the bottom row first.
    glBindTexture(GL_TEXTURE_2D, targetTexture.id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int y = 0; y < background.height; ++y)
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, background.height - 1 - y, background.width, 1, GL_RGB, GL_UNSIGNED_BYTE,
                        background.at(0, y));
    glBindTexture(GL_TEXTURE_2D, 0);
    target.bind();
    glViewport(0, 0, background.width, background.height);

    // The points at infinity need depth clamping, as in the program. Faces behind the scene's
    // surfaces (those whose depth test fails, which the stencil counts) are drawn faint, faces
    // in front of them strong; neither writes depth, so every layer shows.
    glDisable(GL_CULL_FACE);
    glEnable(GL_DEPTH_CLAMP);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (const auto& [depthTest, opacity] : {std::pair{GL_GREATER, hiddenOpacity}, std::pair{GL_LEQUAL, openOpacity}}) {
        glDepthFunc(depthTest);
        setUniform(viewProgram, "opacity", opacity);
        drawTriangles(showSides ? sides : caps, 0, triangles);
    }
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_CLAMP);
    glEnable(GL_CULL_FACE);
    releaseProgram(viewProgram);
    VertexArrayObject::unbind();

    Image picture = readColour(background.width, background.height);
    target.unbind();
    return picture;
}

void ShadowVolumeView::drawTriangles(int part, GLuint first, GLuint count)
{
    vertexArray.bind();
    setUniform(viewProgram, "ProjectionMatrix", Renderer::instance().projectionMatrix());
    setUniform(viewProgram, "part", part);
    glDrawArrays(GL_TRIANGLES, GLint(first * 3), GLsizei(count * 3));
}
