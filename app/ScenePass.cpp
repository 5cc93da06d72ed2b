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

} // namespace

// Renders the scene once into the bound target with depth-fail stencil shadows.
// Expects and leaves: depth test on with GL_LEQUAL, culling on, depth writes on, stencil test,
// blending and depth clamping off. Leaves behind: the cull face, the draw buffer, the stencil
// function and operations of its last steps, and "ambientPower" 1 with "lightColor" 0 on the
// default program ("lightColor" 0 on the water program too).
void Renderer::renderScenePass(GLenum drawBuffer, bool mirrored, const std::vector<Renderable*>& depthObjects,
                               const std::vector<Renderable*>& shadowCasters,
                               const std::vector<Renderable*>& litObjects)
{
    // Mirroring reverses every triangle's winding, so front and back swap roles.
    const GLenum culledFace = mirrored ? GL_FRONT : GL_BACK;
    const GLenum incrementFace = mirrored ? GL_FRONT : GL_BACK;
    const GLenum decrementFace = mirrored ? GL_BACK : GL_FRONT;

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glCullFace(culledFace);

    for (const auto* list : {&litObjects, &shadowCasters, &depthObjects})
        for (Renderable* object : *list)
            object->reflected = mirrored;
    skyBox->reflected = mirrored;
    light.reflected = mirrored;

    setUniform(shadowVolumeProgram, "isMirrored", mirrored ? 1 : 0);
    setUniform3(shadowVolumeProgram, "lightPos", light.getWorldPosition());
    setUniform3(defaultProgram, "lightPos", light.getWorldPosition());

    // Depth pre-pass, without colour.
    glDrawBuffer(GL_NONE);
    glDepthMask(GL_TRUE);
    useProgram(miniProgram);
    for (Renderable* object : depthObjects) {
        setUniform(miniProgram, "ModelMatrix", object->worldMatrix());
        drawWholeMesh(object);
    }

    // Shadow volumes: count depth failures of both faces in one pass. Depth clamping keeps
    // the caps extruded to infinity from being clipped by the far plane.
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

    // Back to colour, only where no volume encloses the surface.
    glDisable(GL_DEPTH_CLAMP);
    glEnable(GL_CULL_FACE);
    glDrawBuffer(drawBuffer);
    glStencilOpSeparate(GL_FRONT_AND_BACK, GL_KEEP, GL_KEEP, GL_KEEP);
    glStencilFunc(GL_EQUAL, 0, 0xFF);

    skyBox->draw();
    light.draw();

    // Direct light, in lit pixels only; blending is off, so they are overwritten.
    setUniform4(defaultProgram, "lightColor", light.getColor());
    setUniform(defaultProgram, "ambientPower", 0.0f);
    setUniform4(waterProgram, "lightColor", light.getColor());
    for (Renderable* object : litObjects)
        object->draw();

    // Ambient light added everywhere, in shadow and in light alike.
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
