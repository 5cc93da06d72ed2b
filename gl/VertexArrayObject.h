#pragma once

#include <GL/glew.h>

// The vertex array last bound through VertexArrayObject (0 after unbind). All vertex-array
// binds pass through here, so a bind of the current array can skip the GL call.
extern GLuint currentVertexArray;

// One GL vertex array with the fixed 80-byte Vertex layout on locations 0 to 6.
struct VertexArrayObject {
    GLuint id = 0;  // 0: not created

    // With id 0 prints a message and leaves GL and the cache as they are.
    void bind();
    // Records the attribute layout; the vertex buffer must be bound to GL_ARRAY_BUFFER.
    void init();
    // Acts on the cache, not on one object: unbinds whatever array is current.
    static void unbind();
};
