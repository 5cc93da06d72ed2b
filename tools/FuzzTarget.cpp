#include "FuzzTarget.h"

#include "common/ProcessFigures.h"
#include "common/TemporaryDirectory.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <pthread.h>
#include <sanitizer/common_interface_defs.h>

namespace {

// Every process the fuzzer forks is a child of the loader: the importer's first look at a file
// or an image's decoding. A sanitizer's report there is on a fault of the library, and
// libFuzzer's answer to it (the input saved as a crash of this program) must not run in it.
void forgetTheFuzzersDeathReport()
{
    __sanitizer_set_death_callback(nullptr);
}

}  // namespace

std::string startFuzzTarget(const char* name, char** argv)
{
    // freeglut gets only the program's name: the other arguments are libFuzzer's.
    int glutArgc = 1;
    glutInit(&glutArgc, argv);
    glutInitContextVersion(3, 2);
    glutInitContextProfile(GLUT_CORE_PROFILE);
    glutInitContextFlags(GLUT_FORWARD_COMPATIBLE);
    glutCreateWindow(name);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "%s: no GL context\n", name);
        std::exit(1);
    }

    // The input's file lives in a directory of its own; the import log "assimp_log.txt" goes to
    // the working directory, as the program's does.
    static const TemporaryDirectory scratch(name);  // removed at exit
    std::string modelsDirectory = (scratch.path() / "models").string() + "/";
    std::filesystem::create_directory(modelsDirectory);
    pthread_atfork(nullptr, nullptr, forgetTheFuzzersDeathReport);

    // The loader's console lines for every input would bury libFuzzer's reports, which go to
    // standard error.
    if (std::freopen(nullDevice, "w", stdout) == nullptr)
        std::exit(1);
    return modelsDirectory;
}
