#include "app/Renderer.h"

#include "gl/ProgramCache.h"
#include "gl/Uniforms.h"

namespace {

// The whole index range in one call, ignoring materials: depth and shadow volumes need
// positions only. Programs without a geometry stage rasterise adjacency triangles as
// plain triangles.
void drawWholeMesh(Renderable* object)
{
    if (object->mesh)
        object->mesh->draw(0, object->mesh->indexCount);
}

// A closed mesh needs no extra care at its (non-existent) open edges.
bool castsFromClosedVolume(const Renderable* object)
{
    return object->closedVolume || (object->mesh && object->mesh->adjacency && object->mesh->closed);
}

// Tells the frame's observer, if there is one, where a step begins and where it ends.
class ObservedStep {
public:
    ObservedStep(FrameObserver* observer, SceneStep step) : observer(observer), step(step)
    {
        if (observer)
            observer->beforeStep(step);
    }
    ~ObservedStep()
    {
        if (observer)
            observer->afterStep(step);
    }
    ObservedStep(const ObservedStep&) = delete;
    ObservedStep& operator=(const ObservedStep&) = delete;

private:
    FrameObserver* const observer;
    const SceneStep step;
};

}  // namespace

// Renders the scene once into the bound target with depth-fail stencil shadows.
// Expects and leaves: depth test on with GL_LEQUAL, culling on, depth writes on, stencil test,
// blending and depth clamping off. Leaves behind: the cull face, the draw buffer, the stencil
// function and operations of its last steps, and "ambientPower" 1 with "lightColor" 0 on the
// default program ("lightColor" 0 on the water program too).
void Renderer::renderScenePass(GLenum drawBuffer, bool mirrored, const std::vector<Renderable*>& depthObjects,
                               const std::vector<Renderable*>& shadowCasters,
                               const std::vector<Renderable*>& litObjects)
{
    clearTarget(mirrored, litObjects, shadowCasters, depthObjects);
    depthPrePass(depthObjects);
    shadowVolumes(mirrored, shadowCasters);
    skyAndLight(drawBuffer);
    litPass(litObjects);
    ambientPass(litObjects);
}

// Leaves the target cleared (colour, depth, stencil 0) and the pass on its side of the mirror:
// the culled face, the reflected flag of every listed object, the sky box and the light, and
// the light's position on the shadow-volume and default programs.
void Renderer::clearTarget(bool mirrored, const std::vector<Renderable*>& litObjects,
                           const std::vector<Renderable*>& shadowCasters, const std::vector<Renderable*>& depthObjects)
{
    const ObservedStep observed(frameObserver, SceneStep::Clear);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    // Mirroring reverses every triangle's winding, so front and back swap roles.
    glCullFace(mirrored ? GL_FRONT : GL_BACK);

    for (const auto* list : {&litObjects, &shadowCasters, &depthObjects})
        for (Renderable* object : *list)
            object->reflected = mirrored;
    skyBox->reflected = mirrored;
    light.reflected = mirrored;

    setUniform(shadowVolumeProgram, "isMirrored", mirrored ? 1 : 0);
    setUniform3(shadowVolumeProgram, "lightPos", light.getWorldPosition());
    setUniform3(defaultProgram, "lightPos", light.getWorldPosition());
}

// Leaves the scene's depth laid down, no colour buffer selected, depth writes on and
// miniProgram current.
void Renderer::depthPrePass(const std::vector<Renderable*>& depthObjects)
{
    const ObservedStep observed(frameObserver, SceneStep::DepthPrePass);
    glDrawBuffer(GL_NONE);
    glDepthMask(GL_TRUE);
    useProgram(miniProgram);
    for (Renderable* object : depthObjects) {
        setUniform(miniProgram, "ModelMatrix", object->worldMatrix());
        drawWholeMesh(object);
    }
}

// Leaves in the stencil buffer how many volumes enclose each surface point; stencil test and
// depth clamping on, culling and depth writes off, shadowVolumeProgram current.
void Renderer::shadowVolumes(bool mirrored, const std::vector<Renderable*>& shadowCasters)
{
    const ObservedStep observed(frameObserver, SceneStep::ShadowVolumes);
    const GLenum incrementFace = mirrored ? GL_FRONT : GL_BACK;
    const GLenum decrementFace = mirrored ? GL_BACK : GL_FRONT;
    // Count depth failures of both faces in one pass. Depth clamping keeps the caps extruded
    // to infinity from being clipped by the far plane.
    glEnable(GL_STENCIL_TEST);
    glEnable(GL_DEPTH_CLAMP);
    glDepthMask(GL_FALSE);
    glDisable(GL_CULL_FACE);
    glStencilFunc(GL_ALWAYS, 0, 0xFF);
    glStencilOpSeparate(incrementFace, GL_KEEP, GL_INCR_WRAP, GL_KEEP);
    glStencilOpSeparate(decrementFace, GL_KEEP, GL_DECR_WRAP, GL_KEEP);
    useProgram(shadowVolumeProgram);
    for (Renderable* object : shadowCasters) {
        setUniform(shadowVolumeProgram, "robust", castsFromClosedVolume(object) ? 0 : 1);
        setUniform(shadowVolumeProgram, "ModelMatrix", object->worldMatrix());
        drawWholeMesh(object);
    }
}

// Leaves the sky box and the light drawn where no volume encloses the surface, colour going
// to drawBuffer again, culling on, depth clamping off, and the stencil test on, passing only
// count 0 and changing nothing; depth writes stay off.
void Renderer::skyAndLight(GLenum drawBuffer)
{
    const ObservedStep observed(frameObserver, SceneStep::SkyAndLight);
    glDisable(GL_DEPTH_CLAMP);
    glEnable(GL_CULL_FACE);
    glDrawBuffer(drawBuffer);
    glStencilOpSeparate(GL_FRONT_AND_BACK, GL_KEEP, GL_KEEP, GL_KEEP);
    glStencilFunc(GL_EQUAL, 0, 0xFF);

    skyBox->draw();
    light.draw();
}

// Leaves the direct light drawn in lit pixels only (blending is off, so they are
// overwritten), with the light's colour and "ambientPower" 0 on the default program.
void Renderer::litPass(const std::vector<Renderable*>& litObjects)
{
    const ObservedStep observed(frameObserver, SceneStep::Lit);
    setUniform4(defaultProgram, "lightColor", light.getColor());
    setUniform(defaultProgram, "ambientPower", 0.0f);
    setUniform4(waterProgram, "lightColor", light.getColor());
    for (Renderable* object : litObjects)
        object->draw();
}

// Leaves the ambient light added everywhere, in shadow and in light alike; stencil test and
// blending off, depth writes on, "lightColor" 0 and "ambientPower" 1 on the default program.
void Renderer::ambientPass(const std::vector<Renderable*>& litObjects)
{
    const ObservedStep observed(frameObserver, SceneStep::Ambient);
    glDisable(GL_STENCIL_TEST);
    glDepthMask(GL_TRUE);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_ONE, GL_ONE);
    const Vec4 noLight(0, 0, 0, 0);
    setUniform4(defaultProgram, "lightColor", noLight);
    setUniform(defaultProgram, "ambientPower", 1.0f);
    setUniform4(waterProgram, "lightColor", noLight);
    for (Renderable* object : litObjects)
        object->draw();
    glDisable(GL_BLEND);
}
