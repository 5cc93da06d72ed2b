#include "gl/Texture.h"

#include <iostream>

void Texture::bind()
{
    if (id == 0) {
        std::cout << "Texture::bind(): Texture not created" << std::endl;
        return;
    }
    glBindTexture(target, id);
}

void Texture::create(GLint internalFormat, GLint imageWidth, GLint imageHeight, GLenum format, GLenum type,
                     GLint maxLevel, const void* data, GLint wrap)
{
    width = imageWidth;
    height = imageHeight;
    target = GL_TEXTURE_2D;
    if (wrap == 0)
        wrap = GL_CLAMP_TO_EDGE;

    glGenTextures(1, &id);
    bind();
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, data);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, maxLevel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Trilinear even without mipmaps: with maxLevel 0 the base level is the whole chain,
    // so the texture is still complete.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    if (maxLevel > 0)
        glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(target, 0);
    std::cout << "Texture::create::glErrorCode:" << glGetError() << std::endl;
}

void Texture::createCubeMap(GLint internalFormat, GLint faceWidth, GLint faceHeight, GLenum format, GLenum type,
                            const void* const faces[6])
{
    width = faceWidth;
    height = faceHeight;
    target = GL_TEXTURE_CUBE_MAP;

    glGenTextures(1, &id);
    bind();
    for (int face = 0; face < 6; ++face) {
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, internalFormat, width, height, 0, format, type,
                     faces[face]);
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glBindTexture(target, 0);
}

void bindOrClear(Texture* texture)
{
    if (texture)
        texture->bind();
    else
        glBindTexture(GL_TEXTURE_2D, 0);
}
