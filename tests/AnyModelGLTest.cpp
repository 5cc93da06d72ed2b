// Models that no one here wrote, put where the temple goes: Assimp's own COLLADA test files
// (Debian's assimp-testmodels), from several exporters, with text encodings, triangle strips,
// polygons, instanced nodes, two UV sets, vertex colours, animations, cameras and lights.

#include "GLTestSupport.h"
#include "ModelInvariants.h"

#include "loader/DataLoader.h"

#include <gtest/gtest.h>

namespace {

// The two that this Assimp (5.2.5) refuses: UTF-16 text is "malformed XML" to it, and it
// cannot read a number with spaces before it in an animation clip's matrix.
const char* const refused[] = {"cube_UTF16LE.dae", "library_animation_clips.dae"};
const char* const imported[] = {"COLLADA.dae",
                                "COLLADA_triangulate.dae",
                                "Cinema4D.dae",
                                "ConcavePolygon.dae",
                                "anims_with_full_rotations_between_keys.DAE",
                                "box_nested_animation.dae",
                                "cameras.dae",
                                "cube_UTF8BOM.dae",
                                "cube_emptyTags.dae",
                                "cube_triangulate.dae",
                                "cube_tristrips.dae",
                                "cube_with_2UVs.DAE",
                                "cube_xmlspecialchars.dae",
                                "duck.dae",
                                "duck_triangulate.dae",
                                "earthCylindrical.DAE",
                                "kwxport_test_vcolors.dae",
                                "lights.dae",
                                "regr01.dae",
                                "sphere.dae",
                                "sphere_triangulate.dae",
                                "teapot_instancenodes.DAE",
                                "teapots.DAE"};

// Whatever the file holds, the mesh is sound; a file the importer refuses leaves the mesh
// empty and the console quiet (the importer's error goes to the log).
TEST(AnyModelGLTest, AssimpsColladaTestModelsLoadIntoSoundMeshesOrAreRefusedQuietly)
{
    ensureGLContext();
    const TemporaryDirectory logDirectory("okv-test");
    const WorkingDirectory inside(logDirectory.path());
    // One loader for every model, as the scene assembly has one for all of its models.
    DataLoader loader;
    const auto load = [&loader](const char* file, Mesh& mesh, std::vector<Material*>& materials) {
        StdoutCapture console;
        loader.loadModel(OKV_TEST_MODELS_DIR "/", file, 2, true, &mesh, &materials);
        return console.text();
    };
    for (const char* file : refused) {
        SCOPED_TRACE(file);
        Mesh mesh;
        std::vector<Material*> materials;
        EXPECT_EQ(load(file, mesh, materials), "");
        EXPECT_EQ(mesh.vertexArray.id, 0u);
        EXPECT_TRUE(materials.empty());
    }
    for (const char* file : imported) {
        SCOPED_TRACE(file);
        Mesh mesh;
        std::vector<Material*> materials;
        load(file, mesh, materials);
        ASSERT_NE(mesh.vertexArray.id, 0u) << "not imported";
        EXPECT_GT(mesh.indexCount, 0u);
        EXPECT_EQ(brokenInvariants(readPreparedModel(mesh, materials, loader.freeEdges)), std::vector<std::string>{});
        for (Material* material : materials) {
            delete material->diffuseTexture;
            delete material->normalTexture;
            delete material;
        }
    }
}

}  // namespace
