#pragma once

// The steps of the program's scene passes, found from the GL calls the scene pass makes, so
// that a tool can act between them while the program's own code renders the frame unchanged.
//
// The steps are told apart by calls the scene pass makes exactly once per pass, in a fixed
// order:
//   glClear                          starts a pass (one clear per pass)        -> Clear
//   glClear returned                                                            -> Depth
//   glEnable(GL_STENCIL_TEST)        the shadow volumes start                   -> ShadowVolumes
//   glDisable(GL_DEPTH_CLAMP)        volumes done; the sky box and light follow -> SkyAndLight
//   glUseProgram(defaultProgram)     the lit step sets "lightColor" on the default program
//                                    first; the light's draw left lightProgram current, so
//                                    the program cache must call glUseProgram here -> Lit
//   glEnable(GL_BLEND)               the additive ambient step                  -> Ambient
//   glDisable(GL_BLEND) returned     the pass ends                              -> None
//
// How the calls are seen: GL 1.1 entry points are plain symbols of the GL library, not GLEW
// pointers. SceneSteps.cpp defines the ones a frame calls; linked into a tool, they take the
// place of the library's for the program's code linked into it, and pass on to the library's
// own. Entry points above GL 1.1 are GLEW's function pointers, replaced by
// watchGlewEntryPoints. Together these are all the GL calls a frame makes (checked against
// an apitrace of the real program).

#include <GL/glew.h>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

enum Step { Clear, Depth, ShadowVolumes, SkyAndLight, Lit, Ambient, StepCount, None = StepCount };
extern const char* const stepNames[StepCount];

// In the order a frame renders them.
enum Pass { Refraction, Reflection, Screen, PassCount };
extern const char* const passNames[PassCount];

struct DrawCall {
    GLenum mode;
    GLsizei count;
    GLenum type;
    const void* indices;
};

// What a tool does between the steps. The GL calls a watcher makes itself go straight to
// the driver: they are neither steps nor counted.
class StepWatcher {
public:
    virtual ~StepWatcher() = default;
    // Between two steps of a pass: `ended` has made all its calls, `next` none yet. A pass
    // begins with (None, Clear) and ends with (Ambient, None).
    virtual void stepChanged(Pass, Step /*ended*/, Step /*next*/) {}
    // Around every glDrawElements of a pass.
    virtual void beforeDraw(Pass, Step) {}
    virtual void afterDraw(Pass, Step, const DrawCall&) {}
    // Every GL call made through the watched entry points, by name, passes or not.
    virtual void called(const char* /*name*/) {}
};

// Puts watched entry points in the place of GLEW's above GL 1.1. Call once, after GLEW has
// loaded them (Renderer::initWindow); until then only the GL 1.1 calls are seen.
void watchGlewEntryPoints();

// Hands the calls from now on to watcher (nullptr: to nobody); the next glClear starts the
// refraction pass. Call it before each frame to be watched.
void watchSteps(StepWatcher* watcher);

// The definition of a function that comes after this program's own: the GL library's, for a
// GL entry point a tool defines itself.
template <typename Function>
Function nextDefinition(const char* name)
{
    void* symbol = dlsym(RTLD_NEXT, name);
    if (!symbol) {
        std::fprintf(stderr, "no %s after this program's own\n", name);
        std::abort();
    }
    return reinterpret_cast<Function>(symbol);
}
