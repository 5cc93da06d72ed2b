#pragma once

#include <GL/glew.h>
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

// A fresh directory under the system's temporary directory, removed with its contents at
// the end of the test. With enter = true the process works inside it until then.
class TemporaryDirectory {
public:
    explicit TemporaryDirectory(bool enter = false);
    ~TemporaryDirectory();
    const std::string& path() const { return directory; }
    // Writes text to a file relative to the directory, creating parent folders.
    void write(const std::string& relativePath, const std::string& text) const;

private:
    std::string directory;
    std::string previousWorkingDirectory;
};

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
