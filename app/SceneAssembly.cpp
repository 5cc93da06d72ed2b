#include "app/Renderer.h"

#include "app/SceneFiles.h"
#include "app/ShaderPrograms.h"
#include "gl/Uniforms.h"
#include "loader/CubeMapFaces.h"
#include "loader/DataLoader.h"
#include "scene/Common3DObject.h"

#include <cstdio>

namespace {

using sceneFiles::modelDirectory;

void loadSceneModel(DataLoader& loader, const sceneFiles::Model& model, Mesh* mesh, std::vector<Material*>* materials)
{
    loader.loadModel(modelDirectory, model.file, model.orientation, model.adjacency, mesh, materials);
}

// A model with its materials, placed by a scale about its centre and then a translation.
Common3DObject* loadObject(DataLoader& loader, const sceneFiles::Model& model, const GLuint* program,
                           const Mat4& reflection, float sx, float sy, float sz, float tx, float ty, float tz)
{
    Common3DObject* object = new Common3DObject();
    Mesh* mesh = new Mesh();
    auto* materials = new std::vector<Material*>();
    loadSceneModel(loader, model, mesh, materials);
    object->mesh = mesh;
    object->materials = materials;
    scale(object->local, sx, sy, sz, Global);
    translate(object->local, tx, ty, tz, Global);
    object->program = program;
    object->reflection = reflection;
    return object;
}

// A new list for an import whose materials nothing draws (the light and the water draw
// without them). Held through a static pointer, so that it stays reachable, like everything
// loaded, to the end of the process, also when the import fails.
std::vector<Material*>* unusedMaterialList()
{
    static auto* lists = new std::vector<std::vector<Material*>*>();
    lists->push_back(new std::vector<Material*>());
    return lists->back();
}

// The scene's files in the order loadScene reads them: the sky box's faces, the models, and the
// water's wave map before the water's own model.
std::vector<ReadAhead::File> filesInReadingOrder()
{
    std::vector<ReadAhead::File> files;
    for (const char* face : cubeFaceNames)
        files.push_back({false, sceneFiles::skyBoxDirectory, face});
    for (const sceneFiles::Model* model :
         {&sceneFiles::lightSphere, &sceneFiles::temple, &sceneFiles::basin, &sceneFiles::ground})
        files.push_back({true, modelDirectory, model->file});
    files.push_back({false, "", sceneFiles::waveMap});
    files.push_back({true, modelDirectory, sceneFiles::waterPlane.file});
    return files;
}

void addTo(std::vector<Renderable*>& list, Renderable* object)
{
    list.push_back(object);
}

}  // namespace

void Renderer::loadScene()
{
    animationTime = 0.0f;
    DataLoader loader;
    // A child process reads every file of the scene from now on, ahead of the steps below, where
    // a fault of the importer or the image library cannot reach the program.
    loader.startReading(filesInReadingOrder());

    buildCameraPaths();
    camera.update(animationTime);

    skyBox = new SkyBox(&camera);
    skyBox->cubeMap = loader.loadCubeMap(sceneFiles::skyBoxDirectory);
    skyBox->program = &skyProgram;
    skyBox->reflection = skyReflectionMatrix;

    Mesh* sphere = new Mesh();
    loadSceneModel(loader, sceneFiles::lightSphere, sphere, unusedMaterialList());
    light.mesh = sphere;
    light.program = &lightProgram;
    // The path is still empty: this places the light at the origin with its current scale.
    light.animate(animationTime);
    scale(light.local, 50, 50, 50, Global);
    light.path.points.push_back({Vec4(0, -100, 1000, 1), Vec4(1, 1, 0, 0), 1000, 1000});
    light.path.points.push_back({Vec4(0, -100, -1000, 1), Vec4(-1, -1, 0, 0), 1000, 1000});
    light.path.loop = false;
    light.color[0] = light.color[1] = light.color[2] = light.color[3] = 1.0f;
    light.reflection = reflectionMatrix;

    Common3DObject* temple =
        loadObject(loader, sceneFiles::temple, &defaultProgram, reflectionMatrix, 100, 100, 100, 0, 50, 0);
    // Its parts are closed solids that may overlap, so it counts as closed for its shadows.
    temple->closedVolume = true;
    for (auto* list : {&screenLists.litObjects, &screenLists.shadowCasters, &screenLists.depthObjects,
                       &refractionLists.shadowCasters, &reflectionLists.litObjects, &reflectionLists.shadowCasters,
                       &reflectionLists.depthObjects})
        addTo(*list, temple);

    Common3DObject* basin =
        loadObject(loader, sceneFiles::basin, &defaultProgram, reflectionMatrix, 30, 30, 30, 0, 10, 0);
    for (RenderLists* lists : {&screenLists, &refractionLists, &reflectionLists}) {
        addTo(lists->litObjects, basin);
        addTo(lists->shadowCasters, basin);
        addTo(lists->depthObjects, basin);
    }

    Common3DObject* ground =
        loadObject(loader, sceneFiles::ground, &defaultProgram, reflectionMatrix, 2000, 1, 2000, 0, 0, 0);
    for (auto* list : {&screenLists.litObjects, &screenLists.shadowCasters, &screenLists.depthObjects,
                       &reflectionLists.shadowCasters})
        addTo(*list, ground);

    water = new Water(loader.loadTexture(sceneFiles::waveMap));
    Mesh* waterMesh = new Mesh();
    loadSceneModel(loader, sceneFiles::waterPlane, waterMesh, unusedMaterialList());
    water->mesh = waterMesh;
    scale(water->local, 30, 1, 30, Global);
    translate(water->local, 0, Water::surfaceHeight, 0, Global);
    water->program = &waterProgram;
    addTo(screenLists.litObjects, water);
    addTo(screenLists.depthObjects, water);

    const Mat4 view = camera.worldMatrix();
    for (const GLuint* program : {&lightProgram, &defaultProgram, &shadowVolumeProgram, &miniProgram, &waterProgram})
        setUniformMatrix(program, "ViewMatrix", view);

    // The texture units the draws bind their images to.
    setUniform(defaultProgram, "texDiffuse", 0);
    setUniform(defaultProgram, "nomalMap", 1);
    setUniform(waterProgram, "reflectTexture", 0);
    setUniform(waterProgram, "refractTexture", 1);
    setUniform(waterProgram, "bumpTexture", 2);

    std::printf("After loadScene GLErrorCode:%d\n", glGetError());
    std::fflush(stdout);
}
