#pragma once

#include "common/TemporaryDirectory.h"

#include <GL/glew.h>
#include <filesystem>
#include <string>
#include <vector>

// Creates the test process's window and 3.2 core context through the program's own
// Renderer::initWindow, once per process. Every GL test calls it first. From then on any
// error the driver reports through KHR_debug fails the running test, and its other messages
// of high severity are printed on standard error.
void ensureGLContext();

// While one is alive, the driver's error messages are expected: counted, not failures.
class ExpectedGLErrors {
public:
    ExpectedGLErrors();
    ~ExpectedGLErrors();
    ExpectedGLErrors(const ExpectedGLErrors&) = delete;
    ExpectedGLErrors& operator=(const ExpectedGLErrors&) = delete;
    int count() const { return errors; }

private:
    int errors = 0;
};

// Captures what is written to standard output (C stdio and iostreams alike) while alive.
class StdoutCapture {
public:
    StdoutCapture();
    ~StdoutCapture();
    // Everything written since construction; ends the capture.
    std::string text();

private:
    bool capturing = true;
};

// While one is alive the process works inside the directory it names; afterwards where it did
// before.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::filesystem::path& directory);
    ~WorkingDirectory();
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

private:
    std::filesystem::path previous;
};

// Core files allowed to this process as far as the system lets it allow them, so that a test
// can show that a crash of a child process leaves none.
void allowCoreFiles();

// The name bound at a binding point (GL_ARRAY_BUFFER_BINDING and the like), or any other
// single integer state.
inline GLuint boundName(GLenum binding)
{
    GLint name = 0;
    glGetIntegerv(binding, &name);
    return GLuint(name);
}

// RGBA bytes of a rectangle of the bound read framebuffer.
std::vector<unsigned char> readPixels(int x, int y, int width, int height);

// The contents of a file, or an empty string when it cannot be read.
std::string readFile(const std::string& path);
