#include "scene/SkyBox.h"

#include "gl/ProgramCache.h"
#include "gl/Uniforms.h"

namespace {

constexpr float halfSize = 10.0f;

// Two triangles per face, counter-clockwise seen from inside the cube, where the viewer is.
constexpr GLuint cubeIndices[36] = {
    0, 1, 2, 1, 3, 2,  // z = -10
    4, 6, 5, 6, 7, 5,  // z = +10
    0, 2, 4, 2, 6, 4,  // x = -10
    1, 5, 3, 5, 7, 3,  // x = +10
    2, 3, 6, 3, 7, 6,  // y = +10
    0, 4, 1, 4, 5, 1,  // y = -10
};

}  // namespace

SkyBox::SkyBox(const Camera* camera) : camera(camera)
{
    // Corner i lies at +10 on x, y, z where bit 0, 1, 2 of i is set, at -10 otherwise.
    Vertex corners[8] = {};
    for (int i = 0; i < 8; ++i) {
        corners[i].position[0] = (i & 1) ? halfSize : -halfSize;
        corners[i].position[1] = (i & 2) ? halfSize : -halfSize;
        corners[i].position[2] = (i & 4) ? halfSize : -halfSize;
    }
    mesh = new Mesh();
    mesh->upload(cubeIndices, 36, corners, 8, false);
}

Mat4 SkyBox::skyMatrix() const
{
    Mat4 matrix = withoutTranslation(camera->local);
    if (reflected)
        postMultiply(matrix, reflection);
    return matrix;
}

void SkyBox::draw()
{
    // Drawn without depth so it neither hides nor is hidden by the scene through depth.
    glDisable(GL_DEPTH_TEST);
    useProgram(*program);
    setUniform(*program, "ModelMatrix", skyMatrix());
    if (cubeMap) {
        glActiveTexture(GL_TEXTURE0);
        cubeMap->bind();
    }
    mesh->draw(0, mesh->indexCount);
    glEnable(GL_DEPTH_TEST);
}
