#pragma once

// The frame, its passes and their steps marked in the GL command stream as nested debug
// groups (KHR_debug) named as the program names them ("frame", then "refraction", then
// "clear" and so on), so that a trace of a tool's frames (apitrace, a frame debugger) shows
// where each begins and ends. The trace test and the benchmark's call count read them. A
// driver without KHR_debug gets none.

#include "app/FrameObserver.h"

class FrameMarkers : public FrameObserver {
public:
    void beforeFrame() override;
    void afterFrame() override;
    void beforePass(ScenePass pass, bool mirrored) override;
    void afterPass(ScenePass pass, bool mirrored) override;
    void beforeStep(SceneStep step) override;
    void afterStep(SceneStep step) override;
};
