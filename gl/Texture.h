#pragma once

#include <GL/glew.h>

// One GL texture, 2D or cube map, created once with fixed sampling and never deleted.
struct Texture {
    GLint width = 0;
    GLint height = 0;
    GLuint id = 0;  // 0: not created
    GLenum target = GL_TEXTURE_2D;

    // Binds on the active texture unit; with id 0 prints a message and binds nothing.
    void bind();
    // A 2D texture with trilinear minification; mipmaps only when maxLevel > 0. data may be
    // null (storage only); wrap 0 means GL_CLAMP_TO_EDGE. Leaves GL_TEXTURE_2D unbound.
    void create(GLint internalFormat, GLint imageWidth, GLint imageHeight, GLenum format, GLenum type, GLint maxLevel,
                const void* data, GLint wrap);
    // faces in the order +X, -X, +Y, -Y, +Z, -Z, all of one size. Leaves the cube map unbound.
    void createCubeMap(GLint internalFormat, GLint faceWidth, GLint faceHeight, GLenum format, GLenum type,
                       const void* const faces[6]);
};

// Binds texture on the active unit, or unbinds GL_TEXTURE_2D there when it is null, so that
// no texture of an earlier draw shows through.
void bindOrClear(Texture* texture);
