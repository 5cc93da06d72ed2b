#pragma once

// The files the scene is made of, relative to the data directory the program starts in: read by
// Renderer::loadScene, written by the asset generator (tools/generate_assets), timed by the
// benchmark. The models' textures are named by their materials, the cube map's faces by the
// loader (loader/CubeMapFaces.h). tools/CMakeLists.txt reads the quoted names of modelDirectory,
// the models, skyBoxDirectory and waveMap below to know the generator's outputs, so each stays
// on one line with its name.

namespace sceneFiles {

constexpr int zUp = 4;  // orientation code: the file's +Z becomes +Y
constexpr int yUp = 2;  // orientation code: the file's +Y stays +Y

struct Model {
    const char* file;  // in modelDirectory
    int orientation;   // the loader's code for the file's up axis
    bool adjacency;    // indices for the shadow volumes
};

constexpr const char* modelDirectory = "./models/";
constexpr Model lightSphere = {"sphere.dae", zUp, false};
constexpr Model temple = {"Tempel.dae", yUp, true};
constexpr Model basin = {"Becken.dae", yUp, true};
constexpr Model ground = {"Ground.dae", yUp, true};
constexpr Model waterPlane = {"WaterPlane.dae", yUp, true};
// In the order loadScene loads them.
constexpr Model models[] = {lightSphere, temple, basin, ground, waterPlane};

constexpr const char* skyBoxDirectory = "./images/Skybox/";
constexpr const char* waveMap = "./images/waven.jpg";

}  // namespace sceneFiles
