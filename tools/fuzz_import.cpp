// okv_fuzz_import: libFuzzer over the import path, the way a person's own model takes it. The
// input bytes become the file "models/Tempel.dae", and DataLoader::loadModel imports and
// prepares it exactly as the scene assembly does (orientation 2, adjacency on) on a real GL
// context: importer, materials and textures, fit, weld, normals, adjacency, tangents, upload.
// Every mesh that comes out must keep the rules of tests/ModelInvariants.h; a broken rule
// aborts, like a sanitizer report, so that libFuzzer keeps the input. The importer's own faults
// end only the child process that imports each file first (loader/ImporterFault.h), and the
// fuzzer goes on: what it keeps are faults of this program's code.
//
// Built in a Clang build with -fsanitize=fuzzer,address,undefined, over a copy of the loader
// compiled with the same sanitizers. Needs an X display. Run it through scripts/fuzz.sh.

#include "FuzzTarget.h"
#include "ModelInvariants.h"
#include "loader/DataLoader.h"

#include <GL/glew.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

const char* const modelFile = "Tempel.dae";
std::string modelsDirectory;  // with the trailing separator, as the scene assembly passes it

// The program keeps what it loads until it ends; here every input would add its mesh and
// textures to the next one's memory.
void release(Mesh& mesh, std::vector<Material*>& materials)
{
    glDeleteVertexArrays(1, &mesh.vertexArray.id);
    glDeleteBuffers(1, &mesh.vertexBuffer.id);
    glDeleteBuffers(1, &mesh.indexBuffer.id);
    for (Material* material : materials) {
        for (Texture* texture : {material->diffuseTexture, material->normalTexture})
            if (texture != nullptr) {
                glDeleteTextures(1, &texture->id);
                delete texture;
            }
        delete material;
    }
}

}  // namespace

// Added to the suppressions of the test command (tests/sanitizer/lsan.supp). The importer
// leaks what it built when a file turns out broken halfway (a visual scene that no
// <instance_visual_scene> names, say): that is Assimp's to mend, and without this every such
// input would stop the run. A file the importer refuses is imported here after its child's look
// too, so the leak is still this process's. An object of this program that leaks is still
// reported, since its own allocation has no frame in the importer.
// NOLINTNEXTLINE(bugprone-reserved-identifier): the name is the leak checker's own hook.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libassimp.so\n";
}

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** argv)
{
    modelsDirectory = startFuzzTarget("okv_fuzz_import", *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::ofstream(modelsDirectory + modelFile, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));

    Mesh mesh;
    std::vector<Material*> materials;
    {
        // A loader per input, as each start of the program has its own: it also starts the
        // import log afresh, which would otherwise grow by every input's lines.
        DataLoader loader;
        loader.loadModel(modelsDirectory, modelFile, 2, true, &mesh, &materials);
        if (mesh.vertexArray.id != 0) {
            const std::vector<std::string> broken =
                brokenInvariants(readPreparedModel(mesh, materials, loader.freeEdges));
            for (const std::string& rule : broken)
                std::fprintf(stderr, "okv_fuzz_import: %s\n", rule.c_str());
            if (!broken.empty())
                std::abort();
        }
    }
    // The registries would hand this input's mesh to the next one, which has the same path.
    DataLoader::meshRegistry.erase(modelsDirectory + modelFile);
    DataLoader::materialRegistry.erase(modelsDirectory + modelFile);
    release(mesh, materials);
    return 0;
}
