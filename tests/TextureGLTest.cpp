#include "MeshDrawing.h"

#include "gl/Texture.h"

#include <gtest/gtest.h>

namespace {

// The parameters as created, in the order MAX_LEVEL, MAG_FILTER, MIN_FILTER, WRAP_S, WRAP_T.
std::vector<GLint> parametersOf(GLenum target)
{
    std::vector<GLint> values;
    for (GLenum parameter : {GL_TEXTURE_MAX_LEVEL, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_MIN_FILTER, GL_TEXTURE_WRAP_S,
                             GL_TEXTURE_WRAP_T}) {
        values.push_back(-1);
        glGetTexParameteriv(target, parameter, &values.back());
    }
    return values;
}

std::vector<unsigned char> imageOf(GLenum target, GLint level, size_t texels)
{
    std::vector<unsigned char> rgba(texels * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, level, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

} // namespace

TEST(TextureGLTest, CreateSetsLevelsFiltersAndWrapsAsGivenAndLeavesTheTargetUnbound)
{
    ensureGLContext();
    std::vector<unsigned char> image(8 * 4 * 4);
    for (size_t byte = 0; byte < image.size(); ++byte)
        image[byte] = (unsigned char)(byte * 7);
    GLuint other = 0;
    glGenTextures(1, &other);
    const struct {
        GLint maxLevel, wrap, expectedWrap;
        GLint levelWidths[4];  // 0: no such level
    } cases[] = {
        {0, 0, GL_CLAMP_TO_EDGE, {8, 0, 0, 0}},
        {1000, GL_REPEAT, GL_REPEAT, {8, 4, 2, 1}},
        // Mipmaps are generated after the maximum level is set, so none beyond it exist.
        {2, GL_MIRRORED_REPEAT, GL_MIRRORED_REPEAT, {8, 4, 2, 0}},
    };
    for (const auto& given : cases) {
        glBindTexture(GL_TEXTURE_2D, other);
        Texture texture;
        StdoutCapture output;
        texture.create(GL_RGBA, 8, 4, GL_RGBA, GL_UNSIGNED_BYTE, given.maxLevel, image.data(), given.wrap);
        EXPECT_EQ(output.text(), "Texture::create::glErrorCode:0\n");
        EXPECT_EQ(boundName(GL_TEXTURE_BINDING_2D), 0u) << given.maxLevel;
        EXPECT_EQ(std::pair(texture.width, texture.height), std::pair(8, 4));

        texture.bind();
        EXPECT_EQ(parametersOf(GL_TEXTURE_2D), (std::vector<GLint>{given.maxLevel, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR,
                                                                   given.expectedWrap, given.expectedWrap}));
        for (GLint level = 0; level < 4; ++level) {
            GLint width = -1;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
            EXPECT_EQ(width, given.levelWidths[level]) << given.maxLevel << " level " << level;
        }
        EXPECT_EQ(imageOf(GL_TEXTURE_2D, 0, 32), image);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
