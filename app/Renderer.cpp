#include "app/Renderer.h"

#include "app/Callbacks.h"
#include "app/OpenGLRequirement.h"
#include "gl/Uniforms.h"

#include <GL/freeglut.h>
#include <cstdio>

Renderer& Renderer::instance()
{
    // Allocated once and never freed: the Renderer lives until the process exits.
    static Renderer* renderer = new Renderer();
    return *renderer;
}

void Renderer::initWindow(int* argc, char** argv)
{
    windowHeight = 600;
    windowWidth = 800;
    glutInit(argc, argv);
    // The shadow volumes count in the window's stencil buffer, so the pixel format must
    // carry stencil bits; without GLUT_STENCIL the window system may give none.
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | GLUT_STENCIL | GLUT_MULTISAMPLE);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitContextVersion(3, 2);
    glutInitWindowPosition(-1, -1);
    glutInitContextProfile(GLUT_CORE_PROFILE);
    glutInitContextFlags(GLUT_FORWARD_COMPATIBLE);
    watchContextCreation(argv[0]);
    glutCreateWindow("OKV");

    // A core context lists its extensions differently; without this GLEW leaves entry
    // points unloaded.
    glewExperimental = GL_TRUE;
    const GLenum result = glewInit();
    if (result != GLEW_OK)
        std::fprintf(stderr, "Error: %s\n", glewGetErrorString(result));
    std::printf("Status: Using GLEW %s\n", glewGetString(GLEW_VERSION));
    if (!GLEW_VERSION_3_2)
        endWithoutOpenGL32();
    std::printf("OpenGL 3.2 ready\n");
    std::fflush(stdout);
    endContextWatch();

    glutDisplayFunc(displayCallback);
    glutReshapeFunc(reshapeCallback);
    glutKeyboardFunc(keyboardCallback);
}

void Renderer::reshape(int width, int height)
{
    windowWidth = width;
    windowHeight = height == 0 ? 1 : height;
    glViewport(0, 0, windowWidth, windowHeight);
    const Mat4 projection = projectionMatrix();
    for (GLuint program : {defaultProgram, skyProgram, lightProgram, shadowVolumeProgram, miniProgram, waterProgram})
        setUniform(program, "ProjectionMatrix", projection);
}

Mat4 Renderer::projectionMatrix() const
{
    // Right-handed perspective, focal factor 1.5, near 1, far 2000; the constants are the
    // exact float values of -(far + near) / (far - near) and -2 far near / (far - near).
    const float aspect = float(windowWidth) / float(windowHeight);
    Mat4 projection;
    projection.m.fill(0.0f);
    projection[0] = 1.5f / aspect;
    projection[5] = 1.5f;
    projection[10] = -1.0010005f;
    projection[11] = -1.0f;
    projection[14] = -2.0010004f;
    return projection;
}
