#include "app/OpenGLRequirement.h"

#include <GL/glew.h>

#include <GL/freeglut.h>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
// Without it windows.h defines min and max as macros, which break std::min and std::max.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <X11/Xlib.h>
#endif

namespace {

const char* programName = "";
std::string heldWarnings;  // as freeglut would have written them

#ifdef _WIN32
const char* const whatToTry = "Try a current driver from the graphics card's maker.";
#else
const char* const whatToTry = "Try a current graphics driver, or without one Mesa's software renderer: start "
                              "the demo with LIBGL_ALWAYS_SOFTWARE=1.";

XErrorHandler previousXErrorHandler = nullptr;

// GLX refuses a context it cannot make with an X error (GLXBadFBConfig), and Xlib's own handler
// prints the failed request and ends the process. Ignored while the window is made, the refusal
// reaches freeglut as a null context, which it reports through its error function: freeglut
// judges what it could not make.
int ignoreXError(Display* /*display*/, XErrorEvent* /*error*/)
{
    return 0;
}
#endif

// "OpenGL 3.1 Mesa 22.3.6 on llvmpipe (LLVM 15.0.6, 256 bits)": the current context's version
// and renderer; empty when no context is current, where GL answers null.
std::string currentContext()
{
    const GLubyte* version = glGetString(GL_VERSION);
    const GLubyte* renderer = glGetString(GL_RENDERER);
    if (!version)
        return {};
    std::string description = "OpenGL " + std::string(reinterpret_cast<const char*>(version));
    if (renderer)
        description += " on " + std::string(reinterpret_cast<const char*>(renderer));
    return description;
}

// freeglut calls it for a window or context that it cannot make, and would go on with a null
// one if it returned.
void onWindowError(const char* /*format*/, va_list /*arguments*/)
{
    static bool askingAnyContext = false;
    // On Windows freeglut's first, plain context is still current when the 3.2 one is refused;
    // on X none is, and another window is made to ask, with freeglut's defaults (version 1.0, no
    // profile, no flags), which take a context of whatever version the display makes. When that
    // one fails too, freeglut comes back here.
    if (!glGetString(GL_VERSION) && !askingAnyContext) {
        askingAnyContext = true;
        glutInitContextVersion(1, 0);
        glutInitContextProfile(0);
        glutInitContextFlags(0);
        glutCreateWindow("OKV");
    }
    endWithoutOpenGL32();
}

void holdWarning(const char* format, va_list arguments)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    heldWarnings += std::string("freeglut (") + programName + "): " + text + "\n";
}

}  // namespace

void watchContextCreation(const char* name)
{
    programName = name;
    glutInitErrorFunc(onWindowError);
    glutInitWarningFunc(holdWarning);
#ifndef _WIN32
    previousXErrorHandler = XSetErrorHandler(ignoreXError);
#endif
}

void endContextWatch()
{
#ifndef _WIN32
    XSetErrorHandler(previousXErrorHandler);
#endif
    glutInitErrorFunc(nullptr);
    glutInitWarningFunc(nullptr);
    std::fputs(heldWarnings.c_str(), stderr);
    heldWarnings.clear();
}

void endWithoutOpenGL32()
{
    const std::string offered = currentContext();
    const std::string line =
        "OKV needs OpenGL 3.2 (core profile), but " +
        (offered.empty() ? std::string("this display made no OpenGL context of any version to ask what it offers")
                         : "this display offers " + offered) +
        ". " + whatToTry;
    std::fprintf(stderr, "%s\n", line.c_str());
#ifdef _WIN32
    MessageBoxA(nullptr, line.c_str(), "OKV", MB_OK | MB_ICONERROR);
#endif
    std::exit(1);
}
