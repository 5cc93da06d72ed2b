#include "scene/Water.h"

#include "gl/ProgramCache.h"
#include "gl/Uniforms.h"

namespace {

Texture* createRenderTarget(FrameBuffer& frameBuffer)
{
    Texture* texture = new Texture();
    frameBuffer.bind();
    texture->create(GL_RGBA, Water::targetSize, Water::targetSize, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
    frameBuffer.attachTexture(texture);
    frameBuffer.unbind();
    return texture;
}

}  // namespace

Water::Water(Texture* bumpTexture) : bumpTexture(bumpTexture)
{
    reflectionTexture = createRenderTarget(reflectionBuffer);
    refractionTexture = createRenderTarget(refractionBuffer);

    // Clip (x, y, z, w) to (0.5x + 0.5w, 0.5y + 0.5w, 0, w): after the division by w, the
    // screen position in [0, 1] where the two images are sampled.
    textureCorrection = Mat4();
    Mat4 halfScale;
    halfScale[0] = 0.5f;
    halfScale[5] = 0.5f;
    halfScale[10] = 0.0f;
    preMultiply(textureCorrection, halfScale);
    translate(textureCorrection, 0.5f, 0.5f, 0.0f, Global);
}

void Water::draw()
{
    useProgram(*program);
    glActiveTexture(GL_TEXTURE0);
    reflectionTexture->bind();
    glActiveTexture(GL_TEXTURE1);
    refractionTexture->bind();
    glActiveTexture(GL_TEXTURE2);
    // Without a wave map the unit is cleared, so the surface is flat rather than disturbed
    // by whatever texture unit 2 held before.
    bindOrClear(bumpTexture);
    setUniform(*program, "TextureCorrection", textureCorrection);
    setUniform(*program, "ModelMatrix", worldMatrix());
    if (mesh)
        mesh->draw(0, mesh->indexCount);
}
