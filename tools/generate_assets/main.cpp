// okv_assets: writes every model and image the demo loads into the given data directory.
// Usage: okv_assets <data directory>
// The output depends on nothing but this program: fixed seeds, no clock, so two runs write
// identical files and the build can regenerate them at will.

#include "ColladaWriter.h"
#include "Models.h"
#include "Sky.h"
#include "Textures.h"
#include "app/SceneFiles.h"
#include "common/Image.h"
#include "loader/CubeMapFaces.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

namespace {

const int textureSize = 512;
const int skySize = 512;

struct ModelJob {
    sceneFiles::Model model;  // its file; the texture names follow from the file's stem
    std::function<assets::MeshData()> build;
    std::function<Image(int)> diffuse;
    std::function<Image(int)> normal;
    const char* materialName;
    float specular;
    float shininess;
};

bool writeModel(const std::filesystem::path& models, const ModelJob& job)
{
    const std::string stem = std::filesystem::path(job.model.file).stem().string();
    assets::MaterialDescription material;
    material.name = job.materialName;
    material.diffuseFile = stem + "_diffuse.png";
    material.normalFile = stem + "_normal.png";
    material.specular = job.specular;
    material.shininess = job.shininess;
    assets::MeshData mesh = job.build();
    std::printf("%s: %zu triangles\n", job.model.file, mesh.triangles.size());
    // The file states the up axis the scene loads it with.
    const char* upAxis = job.model.orientation == sceneFiles::zUp ? "Z_UP" : "Y_UP";
    return assets::writeCollada((models / job.model.file).string(), stem, mesh, material, upAxis) &&
           writeImage((models / material.diffuseFile).string(), job.diffuse(textureSize)) &&
           writeImage((models / material.normalFile).string(), job.normal(textureSize));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data directory>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path data = argv[1];
    const std::filesystem::path models = data / sceneFiles::modelDirectory;
    const std::filesystem::path sky = data / sceneFiles::skyBoxDirectory;
    std::error_code error;
    for (const auto& directory : {models, sky}) {
        std::filesystem::create_directories(directory, error);
        if (error) {
            std::fprintf(stderr, "okv_assets: cannot create %s: %s\n", directory.string().c_str(),
                         error.message().c_str());
            return 1;
        }
    }

    const ModelJob jobs[] = {
        {sceneFiles::temple, assets::templeMesh, assets::marbleDiffuse, assets::marbleNormal, "Marble", 0.35f, 30.0f},
        {sceneFiles::basin, assets::basinMesh, assets::stoneTileDiffuse, assets::stoneTileNormal, "StoneTiles", 0.15f,
         12.0f},
        {sceneFiles::ground, [] { return assets::groundMesh(32, 100.0f); }, assets::grassDiffuse, assets::grassNormal,
         "Grass", 0.04f, 4.0f},
        {sceneFiles::waterPlane, [] { return assets::groundMesh(8, 3.0f); }, assets::waterDiffuse, assets::waveNormal,
         "Water", 0.5f, 60.0f},
        {sceneFiles::lightSphere, [] { return assets::sphereMesh(32, 16); }, assets::glowDiffuse, assets::flatNormal,
         "Light", 0.0f, 1.0f},
    };
    bool ok = true;
    for (const ModelJob& job : jobs)
        ok = writeModel(models, job) && ok;
    ok = writeImage((data / sceneFiles::waveMap).string(), assets::waveNormal(textureSize)) && ok;
    for (int face = 0; face < 6; ++face)
        ok = writeImage((sky / cubeFaceNames[face]).string(), assets::skyFace(face, skySize)) && ok;
    if (!ok) {
        std::fprintf(stderr, "okv_assets: could not write every file under %s\n", data.string().c_str());
        return 1;
    }
    return 0;
}
