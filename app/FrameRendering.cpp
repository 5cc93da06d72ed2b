#include "app/Renderer.h"

#include "gl/Uniforms.h"

#include <GL/freeglut.h>
#include <cmath>

namespace {

constexpr float clockRate = 0.0002f;      // animation units per elapsed millisecond
constexpr float cameraRate = 0.5f;        // camera path parameter per animation unit
constexpr float lightRate = 1.0f / 3.0f;  // light path parameter per animation unit
constexpr float waterRate = 0.6f;         // wave cycles per animation unit
constexpr int belowCutPlane = -1;         // "cutPlaneMode": keep only what lies below the water
constexpr int everything = 0;             // "cutPlaneMode": keep all

}  // namespace

void Renderer::renderFrame()
{
    const int32_t now = glutGet(GLUT_ELAPSED_TIME);
    animationTime += float(now - lastFrameTime) * clockRate;
    lastFrameTime = now;
    renderFrameAt(animationTime);
    glutSwapBuffers();
    glutPostRedisplay();
}

void Renderer::renderFrameAt(float time)
{
    if (frameObserver)
        frameObserver->beforeFrame();
    camera.update(time * cameraRate);
    light.animate(time * lightRate);
    // The water's specular glint uses the unmirrored light.
    light.reflected = false;

    const Mat4 view = camera.worldMatrix();
    const Vec4 eye = camera.getPosition();
    setUniform(defaultProgram, "ambientPower", 1.0f);
    setUniform3(defaultProgram, "camWorldPos", eye);
    setUniform(defaultProgram, "ViewMatrix", view);
    setUniform(lightProgram, "ViewMatrix", view);
    setUniform(miniProgram, "ViewMatrix", view);
    setUniform(waterProgram, "ViewMatrix", view);
    const float waves = time * waterRate;
    setUniform(waterProgram, "time", waves - std::floor(waves));
    setUniform3(waterProgram, "camWorldPos", eye);
    // The water program calls the light's position "lightWorldPos"; the default and shadow
    // programs call the same point "lightPos" (set in the scene pass). Both names are part
    // of the shader contract, so they stay.
    setUniform3(waterProgram, "lightWorldPos", light.getWorldPosition());
    setUniform4(waterProgram, "lightColor", light.getColor());
    setUniform(shadowVolumeProgram, "ViewMatrix", view);

    // Both off-screen passes keep only what lies below the water plane: in the mirrored
    // pass that is what stands above it, turned upside down. They reuse the window's
    // projection, so each texture holds the screen's view squeezed into a square.
    glViewport(0, 0, Water::targetSize, Water::targetSize);
    setUniform(defaultProgram, "cutPlaneMode", belowCutPlane);
    setUniform(miniProgram, "cutPlaneMode", belowCutPlane);

    water->refractionBuffer.bind();
    renderPass(ScenePass::Refraction, GL_COLOR_ATTACHMENT0, refractionLists);
    water->refractionBuffer.unbind();

    water->reflectionBuffer.bind();
    renderPass(ScenePass::Reflection, GL_COLOR_ATTACHMENT0, reflectionLists);
    water->reflectionBuffer.unbind();

    glViewport(0, 0, windowWidth, windowHeight);
    setUniform(defaultProgram, "cutPlaneMode", everything);
    setUniform(miniProgram, "cutPlaneMode", everything);
    renderPass(ScenePass::Screen, GL_BACK, screenLists);
    if (frameObserver)
        frameObserver->afterFrame();
}

void Renderer::renderPass(ScenePass pass, GLenum drawBuffer, const RenderLists& lists)
{
    const bool mirrored = pass == ScenePass::Reflection;
    if (frameObserver)
        frameObserver->beforePass(pass, mirrored);
    renderScenePass(drawBuffer, mirrored, lists.depthObjects, lists.shadowCasters, lists.litObjects);
    if (frameObserver)
        frameObserver->afterPass(pass, mirrored);
}
