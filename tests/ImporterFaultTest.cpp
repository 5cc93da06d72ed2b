// The importer's first look at a file, in a child process: files that crash it, abort it or
// keep it importing without end are named with the reason, and the test process, which holds
// the importer, goes on untouched. The files that set the importer's faults off are in
// tests/importer-faults/, each with what it does in its first lines.

#include "DataLoaderCollada.h"
#include "GLTestSupport.h"

#include "loader/ImporterFault.h"

#include <algorithm>
#include <assimp/postprocess.h>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(ImporterFaultTest, FilesThatKillTheImporterEndOnlyItsChildAndAreNamedWithTheReason)
{
    // Entered, and with core files allowed as far as the system lets this process allow them:
    // a crash of the child leaves none in the working directory.
    const TemporaryDirectory directory("okv-test");
    const WorkingDirectory inside(directory.path());
    allowCoreFiles();
    directory.write("sound.dae", collada::write(collada::singleGeometry({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2})));
    directory.write("garbage.dae", "<COLLADA><library_geometries>\x01\x02\xff");
    const std::string faults = OKV_IMPORTER_FAULTS_DIR "/";
    // An import without end is ended by the limits given: here a short one, so that the test
    // does not wait 30 s. (ChildTaskTest ends tasks at each limit.)
    const ImporterLimits shortTime = {0.5, importerLimits.memoryBytes};
    struct Case {
        const char* name;
        std::string path;
        ImporterLimits limits;
        std::string fault;
    };
    const Case cases[] = {
        {"a sound file", (directory.path() / "sound.dae").string(), importerLimits, ""},
        // The importer's refusal is its normal answer: the caller's own import repeats it.
        {"a file the importer refuses", (directory.path() / "garbage.dae").string(), importerLimits, ""},
        {"a missing file", (directory.path() / "missing.dae").string(), importerLimits, ""},
        {"a crash", faults + "skin-joints-beyond-its-list.dae", importerLimits, "the importer died of signal 11"},
        {"an abort", faults + "node-with-skew.dae", importerLimits, "the importer died of signal 6"},
        {"an import without end, time", faults + "index-list-with-letter.dae", shortTime,
         "the importer ran past 0.5 s"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        Assimp::Importer importer;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const std::string fault =
            findImporterFault(importer, test.path, aiProcessPreset_TargetRealtime_Quality, test.limits);
        const std::string console = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
        EXPECT_EQ(fault, test.fault);
        // The importer's assertion text, say, would tell the user nothing the log does not.
        EXPECT_EQ(console, "");
        // What the child imported stays in the child.
        EXPECT_EQ(importer.GetScene(), nullptr);
    }
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(directory.path()))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"garbage.dae", "sound.dae"}));
}

}  // namespace
