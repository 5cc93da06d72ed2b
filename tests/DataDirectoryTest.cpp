#include "app/DataDirectory.h"

#include "GLTestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Puts the marks of a data directory under root/relative: a shader source, models/, images/.
void makeDataDirectory(const TemporaryDirectory& root, const std::string& relative, bool withShader = true,
                       bool withModels = true, bool withImages = true)
{
    fs::create_directories(root.path() / relative);
    if (withShader)
        root.write(relative + "/Mini.frag.glsl", "#version 150 core\n");
    if (withModels)
        fs::create_directories(root.path() / relative / "models");
    if (withImages)
        fs::create_directories(root.path() / relative / "images");
}

}  // namespace

TEST(DataDirectoryTest, StaysWhereTheDataIsAndOtherwiseTakesTheDataBesideTheExecutable)
{
    struct Case {
        const char* name;
        bool shaderHere, modelsHere, imagesHere;  // what the working directory holds
        bool dataBesideProgram;
        const char* expected;  // "here", "beside" or "none"
    };
    const Case cases[] = {
        {"started from the data directory", true, true, true, false, "here"},
        {"started from the data directory, data beside the program too", true, true, true, true, "here"},
        {"started from an empty directory", false, false, false, true, "beside"},
        {"the source tree's data/: shaders, no models or images", true, false, false, true, "beside"},
        {"no shaders here", false, true, true, true, "beside"},
        {"no images here", true, true, false, true, "beside"},
        {"the build directory: data/ only", false, false, false, true, "beside"},
        {"no data anywhere", false, false, false, false, "none"},
        {"half a data directory, none beside", true, true, false, false, "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TemporaryDirectory root("okv-test");
        makeDataDirectory(root, "here", c.shaderHere, c.modelsHere, c.imagesHere);
        fs::create_directories(root.path() / "build");
        if (c.dataBesideProgram)
            makeDataDirectory(root, "build/data");
        const fs::path here = root.path() / "here";
        const fs::path program = root.path() / "build" / "okv";

        const std::optional<fs::path> found = findDataDirectory(here, program);
        if (std::string(c.expected) == "none")
            EXPECT_FALSE(found.has_value());
        else if (std::string(c.expected) == "here")
            EXPECT_EQ(found, here);
        else
            EXPECT_EQ(found, root.path() / "build" / "data");
    }
}
