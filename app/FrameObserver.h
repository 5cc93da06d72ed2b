#pragma once

// The frame's passes and the steps of a scene pass, by the names the program gives them, and
// the hook through which a tool or a test follows them: Renderer::frameObserver. The program
// itself sets no observer, so its frame makes exactly the GL calls it always makes.

// In the order a frame renders them; only the reflection pass is mirrored.
enum class ScenePass { Refraction, Reflection, Screen };
constexpr int scenePassCount = 3;

// In the order every scene pass takes them.
enum class SceneStep { Clear, DepthPrePass, ShadowVolumes, SkyAndLight, Lit, Ambient };
constexpr int sceneStepCount = 6;

// "refraction", "reflection", "screen".
const char* nameOf(ScenePass pass);
// "clear", "depth pre-pass", "shadow volumes", "sky and light", "lit", "ambient".
const char* nameOf(SceneStep step);

// Told before and after the frame, each pass and each step, on the thread that renders. A
// step's calls come between its before and its after, and the steps of a pass between the
// pass's; an observer may make GL calls of its own there, and must leave the GL state and
// the program and vertex-array caches as it found them where the frame relies on them.
class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    // Around Renderer::renderFrameAt: the per-frame uniforms and the three passes.
    virtual void beforeFrame() {}
    virtual void afterFrame() {}
    // The pass's target is bound from before beforePass until after afterPass.
    virtual void beforePass(ScenePass /*pass*/, bool /*mirrored*/) {}
    virtual void afterPass(ScenePass /*pass*/, bool /*mirrored*/) {}
    // Always inside a pass.
    virtual void beforeStep(SceneStep /*step*/) {}
    virtual void afterStep(SceneStep /*step*/) {}
};
