#include "ShadowVolumeView.h"

#include "app/Renderer.h"
#include "app/ShaderPrograms.h"
#include "gl/ProgramCache.h"
#include "gl/Uniforms.h"

#include <cstdio>
#include <utility>

namespace {

constexpr GLsizeiptr captureBytes = GLsizeiptr(256) << 20;  // room for 5.6 million triangles
constexpr GLsizeiptr bytesPerTriangle = sizeof(GLfloat) * 4 * 3;  // three clip positions
constexpr GLuint clipPositionLocation = 0;
constexpr float hiddenOpacity = 0.1f;   // volume faces behind the scene's surfaces
constexpr float openOpacity = 0.35f;    // and in front of them

// The uniforms of the shadow-volume contract, copied from the program's own program to the
// capturing one before each capture.
const char* const matrixUniforms[] = {"ProjectionMatrix", "ViewMatrix", "ModelMatrix"};
const char* const integerUniforms[] = {"isMirrored", "robust"};

void copyUniforms(GLuint from, GLuint to)
{
    useProgram(to);
    for (const char* name : matrixUniforms) {
        Mat4 value;
        glGetUniformfv(from, glGetUniformLocation(from, name), value.m.data());
        setUniform(to, name, value);
    }
    for (const char* name : integerUniforms) {
        GLint value = 0;
        glGetUniformiv(from, glGetUniformLocation(from, name), &value);
        setUniform(to, name, int(value));
    }
    GLfloat light[3] = {};
    glGetUniformfv(from, glGetUniformLocation(from, "lightPos"), light);
    setUniform3(to, "lightPos", Vec4(light[0], light[1], light[2], 1));
}

} // namespace

const std::vector<Swatch> ShadowVolumeView::sidesLegend = {{{40, 110, 255}, "FRONT SIDES"},
                                                           {{255, 140, 0}, "BACK SIDES"}};
const std::vector<Swatch> ShadowVolumeView::capsLegend = {{{40, 110, 255}, "FRONT CAPS"},
                                                          {{255, 140, 0}, "BACK CAPS"}};

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
}

void ShadowVolumeView::capture(const DrawCall& call)
{
    const GLuint program = Renderer::instance().shadowVolumeProgram;
    copyUniforms(program, captureProgram);
    const GLintptr offset = GLintptr(triangles) * bytesPerTriangle;
    glBindBufferRange(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffer, offset, captureBytes - offset);
    glEnable(GL_RASTERIZER_DISCARD);
    glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, query);
    glBeginTransformFeedback(GL_TRIANGLES);
    glDrawElements(call.mode, call.count, call.type, call.indices);
    glEndTransformFeedback();
    glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
    glDisable(GL_RASTERIZER_DISCARD);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
    GLuint written = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &written);
    triangles += written;
    // Transform feedback stops writing at the end of the buffer and says nothing.
    if (GLsizeiptr(triangles) * bytesPerTriangle >= captureBytes && !full) {
        std::fprintf(stderr, "okv_breakdown: the capture buffer is full; the volume picture is incomplete\n");
        full = true;
    }
    useProgram(program);
}

void ShadowVolumeView::keepDepth(FrameBuffer& target, int width, int height)
{
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target.id);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(bound));
}

Image ShadowVolumeView::draw(bool sides, const Image& background, Texture& targetTexture, FrameBuffer& target)
{
    const GLuint program = Renderer::instance().shadowVolumeProgram;
    Mat4 projection;
    glGetUniformfv(program, glGetUniformLocation(program, "ProjectionMatrix"), projection.m.data());

    glBindTexture(GL_TEXTURE_2D, targetTexture.id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, background.width, background.height, GL_RGB, GL_UNSIGNED_BYTE,
                    background.rgb.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    target.bind();
    glViewport(0, 0, background.width, background.height);

    // Through the program's vertex-array cache, which must keep mirroring the binding.
    if (vertexArray.id == 0) {
        glGenVertexArrays(1, &vertexArray.id);
        vertexArray.bind();
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glVertexAttribPointer(clipPositionLocation, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(clipPositionLocation);
    }
    vertexArray.bind();
    useProgram(viewProgram);
    setUniform(viewProgram, "ProjectionMatrix", projection);
    setUniform(viewProgram, "showSides", sides ? 1 : 0);
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
        glDrawArrays(GL_TRIANGLES, 0, GLsizei(triangles * 3));
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
