#pragma once

#include "gl/Mesh.h"
#include "scene/SceneObject.h"

#include <GL/glew.h>

// A scene node that can draw itself. It holds the address of one of the Renderer's program
// fields rather than the program name, so it always draws with whatever name that field holds.
struct Renderable : SceneObject {
    const GLuint* program = nullptr;  // not owned
    Mesh* mesh = nullptr;             // not owned
    bool closedVolume = false;        // the shadow pass treats the mesh as closed whatever it says

    Renderable() = default;
    Renderable(const Renderable&) = delete;
    Renderable& operator=(const Renderable&) = delete;
    // Scene objects live until the process ends and are never deleted through a base pointer.
    ~Renderable();

    // Everything it needs is in the object, the programs' uniforms and the GL state.
    virtual void draw() = 0;
};
