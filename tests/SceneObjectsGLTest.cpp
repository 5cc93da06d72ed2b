#include "GLProbes.h"
#include "MeshDrawing.h"

#include "gl/Mesh.h"
#include "loader/Material.h"
#include "scene/Common3DObject.h"
#include "scene/Water.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace {

// "ambientColor" and "shininess" of the current program at a draw.
using Uniforms = std::tuple<std::array<float, 4>, float>;

PFNGLACTIVETEXTUREPROC realActiveTexture = nullptr;
struct GLRecorder;
GLRecorder* recorder = nullptr;

// Records texture-unit switches, texture binds and draws in order, and what each draw saw,
// while alive.
struct GLRecorder {
    std::vector<std::string> calls;
    std::vector<Uniforms> uniforms;

    GLRecorder()
    {
        realActiveTexture = std::exchange(glActiveTexture, [](GLenum unit) {
            recorder->calls.push_back("unit " + std::to_string(unit - GL_TEXTURE0));
            realActiveTexture(unit);
        });
        recorder = this;
    }
    ~GLRecorder()
    {
        recorder = nullptr;
        glActiveTexture = realActiveTexture;
    }
    void recordDraw(GLsizei count, const void* indices)
    {
        calls.push_back("draw " + std::to_string(count) + " from " + std::to_string(uintptr_t(indices)));
        const GLuint program = boundName(GL_CURRENT_PROGRAM);
        Uniforms& seen = uniforms.emplace_back();
        glGetUniformfv(program, glGetUniformLocation(program, "ambientColor"), std::get<0>(seen).data());
        glGetUniformfv(program, glGetUniformLocation(program, "shininess"), &std::get<1>(seen));
    }
};

// Uses every uniform the draws set.
GLuint program()
{
    const std::string vertex = "#version 150\nin vec3 in_Position;\nuniform mat4 ModelMatrix;\n"
                               "uniform mat4 TextureCorrection;\nuniform vec3 ambientColor;\n"
                               "uniform float shininess;\nout float shade;\nvoid main() {\n"
                               "    gl_Position = TextureCorrection * ModelMatrix * vec4(in_Position, 1.0);\n"
                               "    shade = ambientColor.x * shininess;\n}\n";
    return linkProgram(vertex.c_str(), "#version 150\nin float shade;\nout vec4 color;\n"
                                       "void main() { color = vec4(shade); }\n");
}

GLuint meshProgram = 0;

void ensureContextAndPrograms()
{
    ensureGLContext();
    if (meshProgram == 0)
        meshProgram = program();
    while (glGetError() != GL_NO_ERROR) {
    }
}

// What a test makes stays reachable until its process ends, as the scene's objects do:
// they own GL objects and records that they never free.
template <typename Object>
Object* keptForTheProcess(Object* object)
{
    static auto* kept = new std::vector<Object*>();
    kept->push_back(object);
    return object;
}

Mesh* triangleMesh(GLuint indexCount, bool adjacency)
{
    const Vertex corners[3] = {vertexAt(0, 0), vertexAt(1, 0), vertexAt(0, 1)};
    std::vector<GLuint> indices(indexCount);
    for (GLuint i = 0; i < indexCount; ++i)
        indices[i] = adjacency ? (i % 6) / 2 : i % 3;
    Mesh* mesh = keptForTheProcess(new Mesh());
    StdoutCapture quiet;
    mesh->upload(indices.data(), indexCount, corners, 3, adjacency);
    return mesh;
}

Texture* smallTexture()
{
    const unsigned char pixels[4] = {9, 9, 9, 255};
    Texture* texture = keptForTheProcess(new Texture());
    StdoutCapture quiet;
    texture->create(GL_RGBA, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, 0, pixels, 0);
    return texture;
}

void expectUniformMatrix(GLuint program, const char* name, const Mat4& expected, float tolerance = 1e-5f)
{
    float actual[16] = {};
    glGetUniformfv(program, glGetUniformLocation(program, name), actual);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << name << " element " << i;
}

// Rotated, scaled and moved, so that a missing or misplaced factor shows.
Mat4 placement(float x, float y, float z)
{
    Mat4 M;
    M[0] = M[5] = 0.0f;
    M[1] = 2.0f;
    M[4] = -2.0f;
    translate(M, x, y, z, Global);
    return M;
}

// The mirror in the water plane y = 14.
const Mat4 mirrorAbove14 = [] {
    Mat4 M;
    M[5] = -1.0f;
    M[13] = 28.0f;
    return M;
}();

} // namespace

// glDrawElements and glBindTexture are GL 1.1 entry points that GLEW does not route through
// pointers, so this executable interposes them; outside a recorder they only pass through.
extern "C" {

void GLAPIENTRY glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    static auto real = reinterpret_cast<void(GLAPIENTRY*)(GLenum, GLsizei, GLenum, const void*)>(
        dlsym(RTLD_NEXT, "glDrawElements"));
    if (recorder)
        recorder->recordDraw(count, indices);
    real(mode, count, type, indices);
}

void GLAPIENTRY glBindTexture(GLenum target, GLuint texture)
{
    static auto real = reinterpret_cast<void(GLAPIENTRY*)(GLenum, GLuint)>(dlsym(RTLD_NEXT, "glBindTexture"));
    if (recorder)
        recorder->calls.push_back((target == GL_TEXTURE_2D ? "2D " : "other ") + std::to_string(texture));
    real(target, texture);
}

} // extern "C"

TEST(SceneObjectsGLTest, MeshObjectDrawsEveryMaterialRangeWithItsOwnTexturesAndUniforms)
{
    ensureContextAndPrograms();
    Texture* diffuse = smallTexture();
    Texture* normal = smallTexture();
    Material first{diffuse, nullptr, "", {0.1f, 0.2f, 0.3f}, 8.0f, 0, 300};
    Material second{nullptr, normal, "", {0.4f, 0.5f, 0.6f}, 32.0f, 300, 120};
    std::vector<Material*> materials{&first, &second};

    Common3DObject object;
    object.program = &meshProgram;
    object.mesh = triangleMesh(420, false);
    object.materials = &materials;
    object.local = placement(1, 2, 3);
    object.reflection = mirrorAbove14;
    object.reflected = true;
    VertexArrayObject::unbind();
    releaseProgram(currentProgram);
    {
        GLRecorder record;
        CallCounter<glBindVertexArray> vertexArrayBinds;
        object.draw();
        EXPECT_EQ(vertexArrayBinds.calls, 1);
        const std::string diffuseBind = "2D " + std::to_string(diffuse->id), normalBind = "2D " + std::to_string(normal->id);
        EXPECT_EQ(record.calls, (std::vector<std::string>{"unit 0", diffuseBind, "unit 1", "2D 0", "draw 300 from 0",
                                                          "unit 0", "2D 0", "unit 1", normalBind, "draw 120 from 1200"}));
        EXPECT_EQ(record.uniforms, (std::vector<Uniforms>{{{0.1f, 0.2f, 0.3f, 0}, 8.0f}, {{0.4f, 0.5f, 0.6f, 0}, 32.0f}}));
    }
    expectUniformMatrix(meshProgram, "ModelMatrix", mirrorAbove14 * placement(1, 2, 3));
    EXPECT_EQ(boundName(GL_CURRENT_PROGRAM), 0u);

    // Without materials the matrix is still set, nothing is drawn and the program is released.
    materials.clear();
    object.reflected = false;
    {
        GLRecorder record;
        object.draw();
        EXPECT_TRUE(record.calls.empty());
    }
    expectUniformMatrix(meshProgram, "ModelMatrix", placement(1, 2, 3));
    EXPECT_EQ(boundName(GL_CURRENT_PROGRAM), 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(SceneObjectsGLTest, WaterBuildsTwoCompleteTargetsAndDrawsWithThemOnUnitsZeroToTwo)
{
    ensureContextAndPrograms();
    GLuint other = 0;
    glGenFramebuffers(1, &other);
    glBindFramebuffer(GL_FRAMEBUFFER, other);
    Texture* bump = smallTexture();
    Water* water = keptForTheProcess(new Water(bump));
    EXPECT_EQ(boundName(GL_FRAMEBUFFER_BINDING), 0u);
    EXPECT_NE(water->reflectionBuffer.id, water->refractionBuffer.id);
    for (FrameBuffer* buffer : {&water->reflectionBuffer, &water->refractionBuffer}) {
        EXPECT_FALSE(buffer->bound);
        glBindFramebuffer(GL_FRAMEBUFFER, buffer->id);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &other);
    EXPECT_EQ(std::pair(water->reflectionTexture->width, water->refractionTexture->height), std::pair(1024, 1024));

    // Clip space to texture space: x and y from [-w, w] to [0, w], z dropped.
    for (auto [clip, texture] : {std::pair{Vec4(-1, -1, 0.3f, 1), Vec4(0, 0, 0, 1)},
                                 {Vec4(1, 1, -1, 1), Vec4(1, 1, 0, 1)}, {Vec4(-2, 2, 2, 2), Vec4(0, 2, 0, 2)}}) {
        const Vec4 mapped = water->textureCorrection * clip;
        EXPECT_EQ((std::array{mapped.x, mapped.y, mapped.z, mapped.w}),
                  (std::array{texture.x, texture.y, texture.z, texture.w}));
    }

    water->program = &meshProgram;
    water->mesh = triangleMesh(6, true);
    for (Texture* bumpTexture : {bump, static_cast<Texture*>(nullptr)}) {
        SCOPED_TRACE(bumpTexture ? "wave map" : "no wave map");
        water->bumpTexture = bumpTexture;
        water->local = placement(30, 14, bumpTexture ? -8.0f : 0.0f);
        GLRecorder record;
        water->draw();
        EXPECT_EQ(record.calls, (std::vector<std::string>{
                                    "unit 0", "2D " + std::to_string(water->reflectionTexture->id),
                                    "unit 1", "2D " + std::to_string(water->refractionTexture->id),
                                    "unit 2", "2D " + std::to_string(bumpTexture ? bump->id : 0), "draw 6 from 0"}));
        expectUniformMatrix(meshProgram, "TextureCorrection", water->textureCorrection, 0.0f);
        expectUniformMatrix(meshProgram, "ModelMatrix", water->local);
        EXPECT_EQ(currentProgram, meshProgram);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
