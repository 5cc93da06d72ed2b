#include "app/ShaderPrograms.h"

#include "app/Renderer.h"
#include "gl/Uniforms.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <vector>

namespace {

struct AttributeBinding {
    GLuint location;
    const char* name;
};

GLuint buildProgram(GLuint* program, GLenum secondStage, const char* firstFile, const char* secondFile,
                    std::initializer_list<AttributeBinding> attributes)
{
    *program = glCreateProgram();
    loadShader(program, GL_VERTEX_SHADER, firstFile);
    loadShader(program, secondStage, secondFile);
    // Bound before linking: the locations take effect with this link.
    for (const AttributeBinding& attribute : attributes)
        glBindAttribLocation(*program, attribute.location, attribute.name);
    glLinkProgram(*program);
    checkStatus(*program, std::string("program of ") + firstFile + " and " + secondFile);
    return *program;
}

}  // namespace

bool readShaderSource(const std::string& fileName, std::string& source)
{
    std::ifstream file(fileName);
    if (!file)
        return false;
    source.clear();
    // Reading on until end of file gives a file that ends with a line end one more,
    // empty, line, and an empty file a single line end.
    std::string line;
    while (!file.eof()) {
        std::getline(file, line);
        source += line + "\n";
    }
    return true;
}

void loadShader(const GLuint* program, GLenum stage, const std::string& fileName)
{
    std::string source;
    if (!readShaderSource(fileName, source)) {
        std::fprintf(stderr, "Couldn't open shader file: %s\n", fileName.c_str());
        std::fflush(stderr);
        return;
    }
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    checkStatus(shader, fileName);
    glAttachShader(*program, shader);
    // Flagged for deletion only: it stays alive while attached.
    glDeleteShader(shader);
}

void checkStatus(GLuint object, const std::string& origin)
{
    const bool isShader = glIsShader(object);
    const bool isProgram = !isShader && glIsProgram(object);
    GLint status = 0;
    if (isShader)
        glGetShaderiv(object, GL_COMPILE_STATUS, &status);
    if (isProgram)
        glGetProgramiv(object, GL_LINK_STATUS, &status);
    if (status == GL_TRUE)
        return;
    if (!origin.empty())
        std::cerr << origin << ":\n";

    GLint length = 0;
    if (isShader)
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (isProgram)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) {
        const char* what = isShader ? "shader" : isProgram ? "program" : "object that is neither shader nor program";
        std::cerr << "GL " << what << " " << object << " failed with no info log" << std::endl;
        return;
    }
    std::vector<char> log(length);
    if (isShader)
        glGetShaderInfoLog(object, length, nullptr, log.data());
    else
        glGetProgramInfoLog(object, length, nullptr, log.data());
    std::cerr << log.data() << std::endl;
}

void setUniformMatrix(const GLuint* programSlot, const char* name, const Mat4& matrix)
{
    setUniform(*programSlot, name, matrix);
}

void Renderer::initShaders()
{
    glGetError();

    buildProgram(&defaultProgram, GL_FRAGMENT_SHADER, "DefaultShader.vert.glsl", "DefaultShader.frag.glsl",
                 {{PositionLocation, "in_Position"},
                  {ColorLocation, "in_Color"},
                  {TexCoordLocation, "in_TextCord"},
                  {TangentLocation, "in_Tangent"},
                  {BitangentLocation, "in_Bitangent"},
                  {NormalLocation, "in_Normal"}});
    setUniform(defaultProgram, "cutPlaneHeight", Water::planeHeight);
    setUniform(defaultProgram, "cutPlaneMode", 0);

    // y goes to -y, then up by twice the plane's height: y to 2h - y, a mirror in y = h.
    reflectionMatrix = Mat4();
    scale(reflectionMatrix, 1, -1, 1, Local);
    translate(reflectionMatrix, 0, -2 * Water::planeHeight, 0, Local);
    skyReflectionMatrix = Mat4();
    scale(skyReflectionMatrix, 1, -1, 1, Local);

    buildProgram(&waterProgram, GL_FRAGMENT_SHADER, "WaterShader.vert.glsl", "WaterShader.frag.glsl",
                 {{PositionLocation, "in_Position"}, {TexCoordLocation, "in_TextCord"}});
    setUniform(waterProgram, "time", 0.0f);

    buildProgram(&skyProgram, GL_FRAGMENT_SHADER, "SkyShader.vert.glsl", "SkyShader.frag.glsl",
                 {{PositionLocation, "in_Position"}});
    buildProgram(&lightProgram, GL_FRAGMENT_SHADER, "LightShader.vert.glsl", "LightShader.frag.glsl",
                 {{PositionLocation, "in_Position"}});

    // No fragment stage: the volumes only update the stencil buffer.
    buildProgram(&shadowVolumeProgram, GL_GEOMETRY_SHADER, "ShadowVolume.vert.glsl", "ShadowVolume.geom.glsl",
                 {{PositionLocation, "in_Position"}, {NormalAVLocation, "in_NormalAV"}});
    setUniform(shadowVolumeProgram, "robust", 1);

    buildProgram(&miniProgram, GL_FRAGMENT_SHADER, "Mini.vert.glsl", "Mini.frag.glsl",
                 {{PositionLocation, "in_Position"}});
    setUniform(miniProgram, "cutPlaneHeight", Water::planeHeight);
    setUniform(miniProgram, "cutPlaneMode", 0);

    std::printf("after Shader %d\n", glGetError());

    glClearColor(0, 0, 0, 0);
    // GL clamps the clear depth to [0, 1]: the depth buffer clears to 1.
    glClearDepth(10000.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    // The cull face itself is chosen per scene pass.
    glEnable(GL_CULL_FACE);
    // The water plane cuts the scene of the off-screen passes through this clip distance,
    // which every vertex stage writes.
    glEnable(GL_CLIP_DISTANCE0);
    std::printf("%d\n", glGetError());
    std::fflush(stdout);
}
