#include "GLTestSupport.h"

#include "app/Renderer.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/resource.h>

namespace {

int* expectedErrors = nullptr;  // the count of the ExpectedGLErrors alive, if any

// Driver complaints that glGetError never shows (a shader compiler's warnings, a slow path)
// arrive here too. An error fails the running test unless it was expected; other messages of
// high severity are shown.
void GLAPIENTRY onDebugMessage(GLenum, GLenum type, GLuint, GLenum severity, GLsizei, const GLchar* message,
                               const void*)
{
    if (type == GL_DEBUG_TYPE_ERROR && expectedErrors)
        ++*expectedErrors;
    else if (type == GL_DEBUG_TYPE_ERROR)
        ADD_FAILURE() << "GL error message: " << message;
    else if (severity == GL_DEBUG_SEVERITY_HIGH)
        std::fprintf(stderr, "GL debug message of high severity: %s\n", message);
}

}  // namespace

void ensureGLContext()
{
    static bool created = false;
    if (created)
        return;
    static int argc = 1;
    static char name[] = "okv_gl_tests";
    static char* argv[] = {name, nullptr};
    Renderer::instance().initWindow(&argc, argv);
    // The program leaves freeglut through its main loop, which tears the window down; a
    // test never enters the loop, so it tears down at exit instead, and freeglut's own
    // allocations do not show up as leaks of the test.
    std::atexit(glutExit);
    // Mesa delivers KHR_debug messages in any context once debug output is enabled, so the
    // window needs no debug flag and is made exactly as the program makes it. Synchronous:
    // the message arrives inside the GL call, in the test that made it.
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(onDebugMessage, nullptr);
    created = true;
}

ExpectedGLErrors::ExpectedGLErrors()
{
    expectedErrors = &errors;
}

ExpectedGLErrors::~ExpectedGLErrors()
{
    expectedErrors = nullptr;
}

StdoutCapture::StdoutCapture()
{
    std::fflush(stdout);
    testing::internal::CaptureStdout();
}

StdoutCapture::~StdoutCapture()
{
    if (capturing)
        text();
}

std::string StdoutCapture::text()
{
    std::fflush(stdout);
    capturing = false;
    return testing::internal::GetCapturedStdout();
}

WorkingDirectory::WorkingDirectory(const std::filesystem::path& directory) : previous(std::filesystem::current_path())
{
    std::filesystem::current_path(directory);
}

WorkingDirectory::~WorkingDirectory()
{
    std::filesystem::current_path(previous);
}

std::vector<unsigned char> readPixels(int x, int y, int width, int height)
{
    std::vector<unsigned char> pixels(size_t(width) * size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::string readFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void allowCoreFiles()
{
    rlimit coreFiles = {};
    getrlimit(RLIMIT_CORE, &coreFiles);
    coreFiles.rlim_cur = coreFiles.rlim_max;
    setrlimit(RLIMIT_CORE, &coreFiles);
}
