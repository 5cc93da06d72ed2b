#include "SceneSteps.h"

#include "app/Renderer.h"

const char* const stepNames[StepCount] = {"clear", "depth pre-pass", "shadow volumes", "sky and light", "lit",
                                          "ambient"};
const char* const passNames[PassCount] = {"refraction", "reflection", "screen"};

namespace {

StepWatcher* watcher = nullptr;
int pass = -1;  // counts the frame's clears; -1 before the first
Step step = None;
bool insideWatcher = false;

// A call the frame makes (not the watcher itself) while someone watches.
bool watched()
{
    return watcher != nullptr && !insideWatcher;
}

bool inPass()
{
    return watched() && pass >= 0 && pass < PassCount;
}

// Runs a watcher's reaction with the watching suspended, so that its own GL calls pass
// straight through.
template <typename Reaction>
void react(Reaction reaction)
{
    insideWatcher = true;
    reaction();
    insideWatcher = false;
}

void count(const char* name)
{
    if (watched())
        react([&] { watcher->called(name); });
}

void enterStep(Step next)
{
    const Step ended = step;
    step = next;
    if (inPass())
        react([&] { watcher->stepChanged(Pass(pass), ended, next); });
}

} // namespace

void watchSteps(StepWatcher* newWatcher)
{
    watcher = newWatcher;
    pass = -1;
    step = None;
}

#define NEXT(name) static const auto real = nextDefinition<decltype(&(name))>(#name)

extern "C" {

void GLAPIENTRY glClear(GLbitfield mask)
{
    NEXT(glClear);
    count("glClear");
    if (!watched()) {
        real(mask);
        return;
    }
    ++pass;
    enterStep(Clear);
    real(mask);
    enterStep(Depth);
}

void GLAPIENTRY glEnable(GLenum capability)
{
    NEXT(glEnable);
    count("glEnable");
    if (watched() && capability == GL_STENCIL_TEST && step == Depth)
        enterStep(ShadowVolumes);
    else if (watched() && capability == GL_BLEND && step == Lit)
        enterStep(Ambient);
    real(capability);
}

void GLAPIENTRY glDisable(GLenum capability)
{
    NEXT(glDisable);
    count("glDisable");
    if (watched() && capability == GL_DEPTH_CLAMP && step == ShadowVolumes)
        enterStep(SkyAndLight);
    real(capability);
    if (watched() && capability == GL_BLEND && step == Ambient)
        enterStep(None);
}

void GLAPIENTRY glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    NEXT(glDrawElements);
    ::count("glDrawElements");
    if (!inPass()) {
        real(mode, count, type, indices);
        return;
    }
    react([&] { watcher->beforeDraw(Pass(pass), step); });
    real(mode, count, type, indices);
    react([&] { watcher->afterDraw(Pass(pass), step, DrawCall{mode, count, type, indices}); });
}

void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    NEXT(glViewport);
    count("glViewport");
    real(x, y, width, height);
}

void GLAPIENTRY glCullFace(GLenum mode)
{
    NEXT(glCullFace);
    count("glCullFace");
    real(mode);
}

void GLAPIENTRY glDrawBuffer(GLenum buffer)
{
    NEXT(glDrawBuffer);
    count("glDrawBuffer");
    real(buffer);
}

void GLAPIENTRY glDepthMask(GLboolean flag)
{
    NEXT(glDepthMask);
    count("glDepthMask");
    real(flag);
}

void GLAPIENTRY glStencilFunc(GLenum function, GLint reference, GLuint mask)
{
    NEXT(glStencilFunc);
    count("glStencilFunc");
    real(function, reference, mask);
}

void GLAPIENTRY glBindTexture(GLenum target, GLuint texture)
{
    NEXT(glBindTexture);
    count("glBindTexture");
    real(target, texture);
}

void GLAPIENTRY glBlendFunc(GLenum source, GLenum destination)
{
    NEXT(glBlendFunc);
    count("glBlendFunc");
    real(source, destination);
}

GLenum GLAPIENTRY glGetError()
{
    NEXT(glGetError);
    count("glGetError");
    return real();
}

} // extern "C"

#undef NEXT

namespace {

PFNGLGETUNIFORMLOCATIONPROC realGetUniformLocation = nullptr;
GLint GLAPIENTRY watchedGetUniformLocation(GLuint program, const GLchar* name)
{
    count("glGetUniformLocation");
    return realGetUniformLocation(program, name);
}

PFNGLUSEPROGRAMPROC realUseProgram = nullptr;
void GLAPIENTRY watchedUseProgram(GLuint program)
{
    count("glUseProgram");
    if (watched() && program != 0 && program == Renderer::instance().defaultProgram && step == SkyAndLight)
        enterStep(Lit);
    realUseProgram(program);
}

#define FORWARD(Pointer, Type, name, parameters, arguments) \
    Type real##Pointer = nullptr;                           \
    void GLAPIENTRY watched##Pointer parameters             \
    {                                                       \
        count(name);                                        \
        real##Pointer arguments;                            \
    }

FORWARD(Uniform1f, PFNGLUNIFORM1FPROC, "glUniform1f", (GLint l, GLfloat a), (l, a))
FORWARD(Uniform1i, PFNGLUNIFORM1IPROC, "glUniform1i", (GLint l, GLint a), (l, a))
FORWARD(Uniform3f, PFNGLUNIFORM3FPROC, "glUniform3f", (GLint l, GLfloat a, GLfloat b, GLfloat c), (l, a, b, c))
FORWARD(Uniform4f, PFNGLUNIFORM4FPROC, "glUniform4f", (GLint l, GLfloat a, GLfloat b, GLfloat c, GLfloat d),
        (l, a, b, c, d))
FORWARD(UniformMatrix4fv, PFNGLUNIFORMMATRIX4FVPROC, "glUniformMatrix4fv",
        (GLint l, GLsizei n, GLboolean t, const GLfloat* v), (l, n, t, v))
FORWARD(BindFramebuffer, PFNGLBINDFRAMEBUFFERPROC, "glBindFramebuffer", (GLenum t, GLuint f), (t, f))
FORWARD(StencilOpSeparate, PFNGLSTENCILOPSEPARATEPROC, "glStencilOpSeparate",
        (GLenum f, GLenum a, GLenum b, GLenum c), (f, a, b, c))
FORWARD(BindVertexArray, PFNGLBINDVERTEXARRAYPROC, "glBindVertexArray", (GLuint a), (a))
FORWARD(ActiveTexture, PFNGLACTIVETEXTUREPROC, "glActiveTexture", (GLenum t), (t))
FORWARD(BlendEquation, PFNGLBLENDEQUATIONPROC, "glBlendEquation", (GLenum m), (m))
FORWARD(BindBuffer, PFNGLBINDBUFFERPROC, "glBindBuffer", (GLenum t, GLuint b), (t, b))
#undef FORWARD

} // namespace

#define REPLACE(Pointer)             \
    real##Pointer = __glew##Pointer; \
    __glew##Pointer = watched##Pointer

void watchGlewEntryPoints()
{
    REPLACE(GetUniformLocation);
    REPLACE(UseProgram);
    REPLACE(Uniform1f);
    REPLACE(Uniform1i);
    REPLACE(Uniform3f);
    REPLACE(Uniform4f);
    REPLACE(UniformMatrix4fv);
    REPLACE(BindFramebuffer);
    REPLACE(StencilOpSeparate);
    REPLACE(BindVertexArray);
    REPLACE(ActiveTexture);
    REPLACE(BlendEquation);
    REPLACE(BindBuffer);
}

#undef REPLACE
