// Images decoded in child processes: a sound image comes back as DevIL decodes it in this
// process, bit for bit, whichever process decoded it; a file that ends the image library ends
// only the child, and the fault says how. The scene's files read ahead in one child come back
// in the program's order, also after a file that ended it.

#include "DataLoaderCollada.h"
#include "GLTestSupport.h"
#include "ImageFaults.h"

#include "loader/ReadAhead.h"

#include <IL/il.h>
#include <assimp/postprocess.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

void expectSameImage(const DecodedImage& image, const DecodedImage& expected)
{
    EXPECT_EQ(int(image.result), int(expected.result));
    EXPECT_EQ(image.width, expected.width);
    EXPECT_EQ(image.height, expected.height);
    EXPECT_TRUE(image.rgb == expected.rgb) << "pixels differ";
    EXPECT_EQ(image.fault, expected.fault);
}

DecodedImage faultOf(const std::string& fault)
{
    DecodedImage image;
    image.result = DecodedImage::Result::Fault;
    image.fault = fault;
    return image;
}

class DecodedImageTest : public testing::Test {
protected:
    void SetUp() override { ilInit(); }

    std::string path(const std::string& name) const { return (directory.path() / name).string(); }

    const TemporaryDirectory directory{"okv-test"};
};

TEST_F(DecodedImageTest, EveryFormatComesBackFromTheChildAsDevILDecodesItHere)
{
    for (const char* extension : {"png", "jpg", "tga", "bmp", "pcx", "ppm", "pgm", "psd", "dds", "sgi", "tif", "gif",
                                  "ico", "hdr", "missing"}) {
        SCOPED_TRACE(extension);
        const std::string file = path(std::string("picture.") + extension);
        if (std::string(extension) != "missing")
            writeTestPicture(file);
        const DecodedImage here = decodeImage(file);
        EXPECT_EQ(int(here.result), int(std::string(extension) == "missing" ? DecodedImage::Result::NotLoaded
                                                                            : DecodedImage::Result::Decoded));
        expectSameImage(decodeInChild(file), here);
    }
}

// Found by the image fuzzer: DevIL's XPM reader says it loaded this file, and hands out a
// picture of -1 x -1 pixels.
TEST_F(DecodedImageTest, AFileThatDevILLoadsWithoutAPictureCountsAsNotLoaded)
{
    const std::string file = path("empty.xpm");
    directory.write("empty.xpm", "/* XPM */\n");
    DecodedImage notLoaded;
    notLoaded.result = DecodedImage::Result::NotLoaded;
    expectSameImage(decodeImage(file), notLoaded);
    expectSameImage(decodeInChild(file), notLoaded);
}

TEST_F(DecodedImageTest, FilesThatEndTheImageLibraryEndOnlyTheChildAndAreNamedWithTheReason)
{
    for (const ImageFault& fault : imageFaults) {
        SCOPED_TRACE(fault.damage);
        const std::string file = path(std::string("damaged.") + fault.extension);
        writeImageFault(fault, file);
        expectSameImage(decodeInChild(file), faultOf(fault.fault));
    }
    // A named pipe that no one writes to: the library waits for the file's bytes for ever.
    const std::string pipe = path("pipe.png");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    expectSameImage(decodeInChild(pipe, {0.5, imageLimits.memoryBytes}), faultOf("the image library ran past 0.5 s"));
}

TEST_F(DecodedImageTest, FilesReadAheadComeInTheirOrderAlsoAfterOneThatEndedTheReader)
{
    for (const char* name : {"a.png", "b.png", "models/diffuse.png", "models/normal.png"})
        writeTestPicture(path(name));
    writeImageFault(imageFaults[0], path(std::string("damaged.") + imageFaults[0].extension));
    collada::Document textured = collada::singleGeometry({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
    textured.materials.push_back({"stone", "diffuse.png", "normal.png"});
    directory.write("models/textured.dae", collada::write(textured));
    const std::string models = path("models") + "/";
    const std::string killer = std::string(OKV_IMPORTER_FAULTS_DIR) + "/";

    ReadAhead readAhead({{false, "", path("a.png")},
                         {false, "", path(std::string("damaged.") + imageFaults[0].extension)},
                         {false, "", path("b.png")},
                         {true, killer, "skin-joints-beyond-its-list.dae"},
                         {true, models, "textured.dae"},
                         {false, "", path("missing.png")},
                         {false, "", path("a.png")},
                         {false, "", path("b.png")}},
                        aiProcessPreset_TargetRealtime_Quality, imageLimits);
    DecodedImage notLoaded;
    notLoaded.result = DecodedImage::Result::NotLoaded;
    expectSameImage(readAhead.takeImage(path("a.png")).value(), decodeImage(path("a.png")));
    expectSameImage(readAhead.takeImage(path(std::string("damaged.") + imageFaults[0].extension)).value(),
                    faultOf(imageFaults[0].fault));
    expectSameImage(readAhead.takeImage(path("b.png")).value(), decodeImage(path("b.png")));
    EXPECT_EQ(readAhead.takeModelLook(killer + "skin-joints-beyond-its-list.dae"), "the importer died of signal 11");
    EXPECT_EQ(readAhead.takeModelLook(models + "textured.dae"), "");
    // The textures the look named come next, in the order the loader asks for them.
    expectSameImage(readAhead.takeImage(models + "diffuse.png").value(), decodeImage(models + "diffuse.png"));
    expectSameImage(readAhead.takeImage(models + "normal.png").value(), decodeImage(models + "normal.png"));
    // Passed over: the missing file and the first of the repeated ones.
    expectSameImage(readAhead.takeImage(path("b.png")).value(), decodeImage(path("b.png")));
    EXPECT_FALSE(readAhead.takeImage(path("a.png")));
    EXPECT_FALSE(readAhead.takeImage(path("missing.png")));
    EXPECT_FALSE(readAhead.takeModelLook(models + "textured.dae"));
}

}  // namespace
