#pragma once

#include "scene/Renderable.h"

#include <vector>

// Which objects take part in which step of one scene pass. The lists do not own the objects,
// and one object may be in several lists of several passes.
struct RenderLists {
    std::vector<Renderable*> litObjects;     // drawn with their own draw, lit then ambient
    std::vector<Renderable*> shadowCasters;  // extruded into shadow volumes
    std::vector<Renderable*> depthObjects;   // laid into the depth buffer by the pre-pass
};
