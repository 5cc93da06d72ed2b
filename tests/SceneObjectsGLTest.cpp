#include "GLTestSupport.h"

#include "gl/Mesh.h"
#include "gl/ProgramCache.h"
#include "gl/Texture.h"
#include "loader/Material.h"
#include "math/Camera.h"
#include "scene/Common3DObject.h"
#include "scene/Light.h"
#include "scene/SkyBox.h"
#include "scene/Water.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// What GL saw at one draw call.
struct DrawRecord {
    GLenum mode;
    GLsizei count;
    uintptr_t byteOffset;
    GLuint program;
    std::array<GLuint, 3> texture2D;  // units 0, 1, 2
    GLuint cubeMapOnUnit0;
    bool depthTest;
    std::array<float, 4> ambientColor;
    float shininess;
};

PFNGLACTIVETEXTUREPROC realActiveTexture = nullptr;
PFNGLBINDVERTEXARRAYPROC realBindVertexArray = nullptr;

// Records draws, texture-unit switches, texture binds and vertex-array binds while alive.
struct GLRecorder {
    std::vector<DrawRecord> draws;
    std::vector<std::string> textureCalls;
    int vertexArrayBinds = 0;

    GLRecorder();
    ~GLRecorder();
    void recordDraw(GLenum mode, GLsizei count, const void* indices)
    {
        DrawRecord record{mode, count, uintptr_t(indices), GLuint(integer(GL_CURRENT_PROGRAM)), {},
                          0, bool(glIsEnabled(GL_DEPTH_TEST)), {}, 0.0f};
        const GLint activeUnit = integer(GL_ACTIVE_TEXTURE);
        for (GLuint unit = 0; unit < 3; ++unit) {
            realActiveTexture(GL_TEXTURE0 + unit);
            record.texture2D[unit] = GLuint(integer(GL_TEXTURE_BINDING_2D));
        }
        realActiveTexture(GL_TEXTURE0);
        record.cubeMapOnUnit0 = GLuint(integer(GL_TEXTURE_BINDING_CUBE_MAP));
        realActiveTexture(GLenum(activeUnit));
        glGetUniformfv(record.program, glGetUniformLocation(record.program, "ambientColor"),
                       record.ambientColor.data());
        glGetUniformfv(record.program, glGetUniformLocation(record.program, "shininess"), &record.shininess);
        draws.push_back(record);
    }
};

GLRecorder* recorder = nullptr;

GLRecorder::GLRecorder()
{
    realActiveTexture = std::exchange(glActiveTexture, [](GLenum unit) {
        recorder->textureCalls.push_back("unit " + std::to_string(unit - GL_TEXTURE0));
        realActiveTexture(unit);
    });
    realBindVertexArray = std::exchange(glBindVertexArray, [](GLuint array) {
        ++recorder->vertexArrayBinds;
        realBindVertexArray(array);
    });
    recorder = this;
}

GLRecorder::~GLRecorder()
{
    recorder = nullptr;
    glActiveTexture = realActiveTexture;
    glBindVertexArray = realBindVertexArray;
}

template <typename Function>
Function nextDefinition(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

// glDrawElements and glBindTexture are GL 1.1 entry points that GLEW does not route through
// pointers, so this executable interposes them; outside a recorder they only pass through.
extern "C" {

void GLAPIENTRY glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    static auto real = nextDefinition<void(GLAPIENTRY*)(GLenum, GLsizei, GLenum, const void*)>("glDrawElements");
    if (recorder)
        recorder->recordDraw(mode, count, indices);
    real(mode, count, type, indices);
}

void GLAPIENTRY glBindTexture(GLenum target, GLuint texture)
{
    static auto real = nextDefinition<void(GLAPIENTRY*)(GLenum, GLuint)>("glBindTexture");
    if (recorder)
        recorder->textureCalls.push_back((target == GL_TEXTURE_2D ? "2D " : "other ") + std::to_string(texture));
    real(target, texture);
}

} // extern "C"

namespace {

// Uses every uniform the draws set, with the types they rely on (vec3 or vec4 ambientColor).
GLuint program(const std::string& ambientType)
{
    const std::string vertex = "#version 150\nin vec3 in_Position;\n"
                               "uniform mat4 ModelMatrix;\nuniform mat4 TextureCorrection;\n"
                               "uniform " + ambientType + " ambientColor;\nuniform float shininess;\n"
                               "out float shade;\n"
                               "void main() {\n"
                               "    gl_Position = TextureCorrection * ModelMatrix * vec4(in_Position, 1.0);\n"
                               "    shade = ambientColor.x * shininess;\n"
                               "}\n";
    const std::string fragment = "#version 150\nin float shade;\nout vec4 color;\n"
                                 "void main() { color = vec4(shade); }\n";
    const GLuint name = glCreateProgram();
    for (auto [stage, source] : {std::pair{GL_VERTEX_SHADER, &vertex}, std::pair{GL_FRAGMENT_SHADER, &fragment}}) {
        const GLuint shader = glCreateShader(stage);
        const char* text = source->c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        glAttachShader(name, shader);
    }
    glBindAttribLocation(name, 0, "in_Position");
    glLinkProgram(name);
    GLint linked = 0;
    glGetProgramiv(name, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
    return name;
}

GLuint meshProgram = 0;   // vec3 ambientColor
GLuint lightProgram = 0;  // vec4 ambientColor

void ensureContextAndPrograms()
{
    ensureGLContext();
    if (meshProgram == 0) {
        meshProgram = program("vec3");
        lightProgram = program("vec4");
    }
    while (glGetError() != GL_NO_ERROR) {
    }
}

Mesh* triangleMesh(GLuint indexCount, bool adjacency)
{
    Vertex corners[3] = {};
    corners[1].position[0] = corners[2].position[1] = 1.0f;
    std::vector<GLuint> indices(indexCount);
    for (GLuint i = 0; i < indexCount; ++i)
        indices[i] = adjacency ? (i % 6) / 2 : i % 3;
    Mesh* mesh = new Mesh();
    StdoutCapture quiet;
    mesh->upload(indices.data(), indexCount, corners, 3, adjacency);
    return mesh;
}

Texture* smallTexture()
{
    const unsigned char pixels[4] = {9, 9, 9, 255};
    Texture* texture = new Texture();
    StdoutCapture quiet;
    texture->create(GL_RGBA, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, 0, pixels, 0);
    return texture;
}

// Leaves a texture on units 0 to count - 1 that no later draw may show.
void bindStaleTexture(GLuint texture, GLuint count)
{
    for (GLuint unit = 0; unit < count; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, texture);
    }
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

Mat4 mirrorAbove14()
{
    Mat4 M;
    M[5] = -1.0f;
    M[13] = 28.0f;
    return M;
}

} // namespace

TEST(SceneObjectsGLTest, MeshObjectDrawsEveryMaterialRangeWithItsOwnTexturesAndUniforms)
{
    ensureContextAndPrograms();
    Texture* diffuse = smallTexture();
    Texture* normal = smallTexture();
    Material first, second;
    first.diffuseTexture = diffuse;
    std::copy_n(std::array<float, 3>{0.1f, 0.2f, 0.3f}.data(), 3, first.ambientColor);
    first.shininess = 8.0f;
    first.indexCount = 300;
    second.normalTexture = normal;
    std::copy_n(std::array<float, 3>{0.4f, 0.5f, 0.6f}.data(), 3, second.ambientColor);
    second.shininess = 32.0f;
    second.firstIndex = 300;
    second.indexCount = 120;
    std::vector<Material*> materials{&first, &second};

    Common3DObject object;
    object.program = &meshProgram;
    object.mesh = triangleMesh(420, false);
    object.materials = &materials;
    object.local = placement(1, 2, 3);
    object.reflection = mirrorAbove14();
    object.reflected = true;
    bindStaleTexture(smallTexture()->id, 2);
    VertexArrayObject::unbind();
    releaseProgram(currentProgram);
    {
        GLRecorder record;
        object.draw();
        ASSERT_EQ(record.draws.size(), 2u);
        EXPECT_EQ(record.vertexArrayBinds, 1);
        struct Expected {
            GLsizei count;
            uintptr_t byteOffset;
            std::array<GLuint, 2> units;
            std::array<float, 4> ambientColor;
            float shininess;
        };
        const Expected expected[2] = {{300, 0, {diffuse->id, 0}, {0.1f, 0.2f, 0.3f, 0}, 8.0f},
                                      {120, 1200, {0, normal->id}, {0.4f, 0.5f, 0.6f, 0}, 32.0f}};
        for (int i = 0; i < 2; ++i) {
            SCOPED_TRACE(i);
            const DrawRecord& draw = record.draws[i];
            EXPECT_EQ(draw.mode, GLenum(GL_TRIANGLES));
            EXPECT_EQ(draw.count, expected[i].count);
            EXPECT_EQ(draw.byteOffset, expected[i].byteOffset);
            EXPECT_EQ(draw.program, meshProgram);
            EXPECT_EQ(draw.texture2D[0], expected[i].units[0]);
            EXPECT_EQ(draw.texture2D[1], expected[i].units[1]);
            EXPECT_EQ(draw.ambientColor, expected[i].ambientColor);
            EXPECT_EQ(draw.shininess, expected[i].shininess);
        }
    }
    expectUniformMatrix(meshProgram, "ModelMatrix", mirrorAbove14() * placement(1, 2, 3));
    EXPECT_EQ(currentProgram, 0u);
    EXPECT_EQ(integer(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE1);

    // Without materials the matrix is still set, nothing is drawn and the program is released.
    materials.clear();
    object.reflected = false;
    {
        GLRecorder record;
        object.draw();
        EXPECT_TRUE(record.draws.empty());
        EXPECT_TRUE(record.textureCalls.empty());
    }
    expectUniformMatrix(meshProgram, "ModelMatrix", placement(1, 2, 3));
    EXPECT_EQ(integer(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(SceneObjectsGLTest, LightDrawsItsWholeMeshInItsFourComponentColourAndStaysCurrent)
{
    ensureContextAndPrograms();
    Light light;
    light.program = &lightProgram;
    light.mesh = triangleMesh(6, false);
    std::copy_n(std::array<float, 4>{0.2f, 0.4f, 0.6f, 0.8f}.data(), 4, light.color);
    light.local = placement(5, 20, -4);
    light.reflection = mirrorAbove14();
    light.reflected = true;
    releaseProgram(currentProgram);
    {
        GLRecorder record;
        light.draw();
        ASSERT_EQ(record.draws.size(), 1u);
        EXPECT_EQ(record.draws[0].count, 6);
        EXPECT_EQ(record.draws[0].byteOffset, 0u);
        EXPECT_EQ(record.draws[0].ambientColor, (std::array<float, 4>{0.2f, 0.4f, 0.6f, 0.8f}));
        EXPECT_TRUE(record.textureCalls.empty());
    }
    expectUniformMatrix(lightProgram, "ModelMatrix", mirrorAbove14() * placement(5, 20, -4));
    EXPECT_EQ(currentProgram, lightProgram);
    EXPECT_EQ(GLuint(integer(GL_CURRENT_PROGRAM)), lightProgram);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(SceneObjectsGLTest, SkyBoxTurnsWithTheCameraButNeverMovesAndLeavesDepthTestingOn)
{
    ensureContextAndPrograms();
    Camera camera;
    SkyBox* sky = nullptr;
    {
        StdoutCapture quiet;
        sky = new SkyBox(&camera);
    }
    sky->program = &meshProgram;
    Texture cubeMap;
    const unsigned char texel[4] = {1, 2, 3, 4};
    const void* const faces[6] = {texel, texel, texel, texel, texel, texel};
    cubeMap.createCubeMap(GL_RGBA, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, faces);
    sky->cubeMap = &cubeMap;

    EXPECT_EQ(sky->mesh->indexCount, 36u);
    EXPECT_FALSE(sky->mesh->adjacency);

    struct Step {
        const char* name;
        bool depthBefore;
        Vec4 cameraOffset;
        bool reflected;
    };
    const Step steps[] = {{"first", false, {0, 0, 0, 0}, false},
                          {"camera moved", true, {10, -7, 3, 0}, false},
                          {"reflected", false, {10, -7, 3, 0}, true}};
    sky->reflection[5] = -1.0f;
    Mat4 rotation;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        lookAt(camera.local, Vec4(3, 4, 5, 1) + step.cameraOffset, Vec4(-2, 1, 0, 1) + step.cameraOffset,
               Vec4(0, 1, 0, 1));
        if (&step == steps) {
            rotation = camera.local;
            rotation[12] = rotation[13] = rotation[14] = 0.0f;
        }
        sky->reflected = step.reflected;
        step.depthBefore ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
        GLRecorder record;
        sky->draw();
        ASSERT_EQ(record.draws.size(), 1u);
        EXPECT_EQ(record.draws[0].count, 36);
        EXPECT_FALSE(record.draws[0].depthTest);
        EXPECT_EQ(record.draws[0].cubeMapOnUnit0, cubeMap.id);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        // Mirrored, the y column flips (the mirror acts before the rotation), not the y row.
        Mat4 expected = rotation;
        for (int i = 4; i < 7 && step.reflected; ++i)
            expected[i] = -expected[i];
        expectUniformMatrix(meshProgram, "ModelMatrix", expected);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(SceneObjectsGLTest, WaterBuildsTwoCompleteTargetsAndDrawsWithThemOnUnitsZeroToTwo)
{
    ensureContextAndPrograms();
    GLuint other = 0;
    glGenFramebuffers(1, &other);
    glBindFramebuffer(GL_FRAMEBUFFER, other);
    Texture* bump = smallTexture();
    Water* water = nullptr;
    std::string printed;
    {
        StdoutCapture output;
        water = new Water(bump);
        printed = output.text();
    }
    std::string target = "Texture::create::glErrorCode:0\n";
    for (int line = 0; line < 4; ++line)
        target += "FrameBuffer::attachTexture::glError0\n";
    target += "Framebuffer complete.\n";
    EXPECT_EQ(printed, target + target);
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING), 0);
    EXPECT_NE(water->reflectionBuffer.id, water->refractionBuffer.id);
    for (FrameBuffer* buffer : {&water->reflectionBuffer, &water->refractionBuffer}) {
        EXPECT_FALSE(buffer->bound);
        glBindFramebuffer(GL_FRAMEBUFFER, buffer->id);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(water->reflectionTexture->width, 1024);
    EXPECT_EQ(water->refractionTexture->height, 1024);

    struct Corner {
        Vec4 clip, texture;
    };
    for (const Corner& corner : {Corner{{-1, -1, 0.3f, 1}, {0, 0, 0, 1}}, Corner{{1, 1, -1, 1}, {1, 1, 0, 1}},
                                 Corner{{-2, 2, 2, 2}, {0, 2, 0, 2}}}) {
        const Vec4 mapped = water->textureCorrection * corner.clip;
        EXPECT_EQ(std::vector<float>({mapped.x, mapped.y, mapped.z, mapped.w}),
                  std::vector<float>({corner.texture.x, corner.texture.y, corner.texture.z, corner.texture.w}));
    }

    water->program = &meshProgram;
    water->mesh = triangleMesh(6, true);
    const GLuint stale = smallTexture()->id;
    const std::string wave = "2D " + std::to_string(bump->id);
    struct Step {
        const char* name;
        Texture* bump;
        Mat4 local;
        std::string unit2;
    };
    const Step steps[] = {{"wave map", bump, placement(0, 14, 0), wave},
                          {"moved", bump, placement(30, 14, -8), wave},
                          {"no wave map", nullptr, placement(30, 14, -8), "2D 0"}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        water->bumpTexture = step.bump;
        water->local = step.local;
        bindStaleTexture(stale, 3);
        GLRecorder record;
        water->draw();
        const std::vector<std::string> expectedCalls = {
            "unit 0", "2D " + std::to_string(water->reflectionTexture->id),
            "unit 1", "2D " + std::to_string(water->refractionTexture->id),
            "unit 2", step.unit2};
        EXPECT_EQ(record.textureCalls, expectedCalls);
        ASSERT_EQ(record.draws.size(), 1u);
        EXPECT_EQ(record.draws[0].mode, GLenum(GL_TRIANGLES_ADJACENCY));
        EXPECT_EQ(record.draws[0].count, 6);
        expectUniformMatrix(meshProgram, "TextureCorrection", water->textureCorrection, 0.0f);
        expectUniformMatrix(meshProgram, "ModelMatrix", step.local);
        EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE2);
        EXPECT_EQ(currentProgram, meshProgram);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
