// The README's pictures must be frames of the current program: the capture tool renders the
// same animation times again (for the own model, on the same copy of the data), and each must
// match its picture in docs/. A change that alters the frame fails here until the pictures are
// captured anew (the README says how).

#include "GLTestSupport.h"
#include "ImageDifference.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

void expectSameFrame(const std::string& picture, const std::string& capture)
{
    SCOPED_TRACE(picture);
    const Image inDocs = loadImage(std::string(OKV_DOCS_DIR "/") + picture);
    const Image captured = loadImage(capture);
    ASSERT_EQ(captured.width, 1280);
    ASSERT_EQ(captured.height, 960);
    ASSERT_EQ(inDocs.rgb.size(), captured.rgb.size());
    EXPECT_LT(differingShare(inDocs, captured), 0.002);
}

}  // namespace

TEST(CaptureProgramTest, TheReadmePicturesAreFramesOfTheCurrentProgram)
{
    const TemporaryDirectory shots("okv-test");
    const std::string command = "cd '" OKV_DATA_DIR "' && '" OKV_CAPTURE_BINARY "' '" + shots.path().string() +
                                "' 1280 960 14.5 7 1.5 > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    const struct {
        const char* picture;
        const char* capture;
    } pairs[] = {{"okv-temple-sky.png", "okv-14.5.png"},
                 {"okv-temple-shadows.png", "okv-7.png"},
                 {"okv-pool.png", "okv-1.5.png"}};
    for (const auto& pair : pairs)
        expectSameFrame(pair.picture, (shots.path() / pair.capture).string());
}

TEST(CaptureProgramTest, TheReadmePictureOfAnOwnModelIsAFrameOfTheCurrentProgram)
{
    const TemporaryDirectory shots("okv-test");
    const std::string capture = (shots.path() / "own-model.png").string();
    const std::string command =
        "bash '" OKV_CAPTURE_OWN_MODEL_SCRIPT "' '" OKV_DATA_DIR "/..' '" + capture + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    expectSameFrame("okv-own-model.png", capture);
}

// The animation's first frame, captured again: its 96 colours leave about one level of
// difference on average, the frame a tenth of a second later four. DevIL reads no GIF here,
// so ImageMagick, which makes the animation, takes the frame out.
TEST(CaptureProgramTest, TheReadmeAnimationBeginsWithAFrameOfTheCurrentProgram)
{
    const TemporaryDirectory shots("okv-test");
    const std::string command = "cd '" OKV_DATA_DIR "' && '" OKV_CAPTURE_BINARY "' '" + shots.path().string() +
                                "' 480 360 6.00 > /dev/null && convert '" OKV_DOCS_DIR "/okv-demo.gif[0]' '" +
                                (shots.path() / "first.png").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Image animation = loadImage((shots.path() / "first.png").string());
    const Image capture = loadImage((shots.path() / "okv-6.00.png").string());
    ASSERT_EQ(animation.width, 480);
    ASSERT_EQ(animation.rgb.size(), capture.rgb.size());
    long difference = 0;
    for (size_t at = 0; at < capture.rgb.size(); ++at)
        difference += std::abs(int(animation.rgb[at]) - int(capture.rgb[at]));
    EXPECT_LT(double(difference) / double(capture.rgb.size()), 2.0);
}
