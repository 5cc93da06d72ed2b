#include "scene/Common3DObject.h"

#include "gl/ProgramCache.h"
#include "gl/Texture.h"
#include "gl/Uniforms.h"

void Common3DObject::draw()
{
    const GLuint shader = *program;
    useProgram(shader);
    setUniform(shader, "ModelMatrix", worldMatrix());
    if (materials) {
        for (Material* material : *materials) {
            const float* ambient = material->ambientColor;
            setUniform3(shader, "ambientColor", Vec4(ambient[0], ambient[1], ambient[2], 0.0f));
            setUniform(shader, "shininess", material->shininess);
            glActiveTexture(GL_TEXTURE0);
            bindOrClear(material->diffuseTexture);
            glActiveTexture(GL_TEXTURE1);
            bindOrClear(material->normalTexture);
            if (mesh)
                mesh->draw(material->firstIndex, material->indexCount);
        }
    }
    releaseProgram(shader);
}
