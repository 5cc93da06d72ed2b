// The README's pictures must be frames of the current program: the capture tool renders the
// same animation times again (for the own model, on the same copy of the data), and each must
// match its picture in docs/. A change that alters the frame fails here until the pictures are
// captured anew (the README says how).

#include "GLTestSupport.h"
#include "Picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The share of pixels whose colour differs by more than 2 levels in some channel: the
// same frame rendered again differs nowhere, a changed frame in many places.
double differingShare(const Picture& a, const Picture& b)
{
    size_t differing = 0;
    for (size_t pixel = 0; pixel < a.rgb.size(); pixel += 3)
        for (size_t channel = 0; channel < 3; ++channel)
            if (std::abs(int(a.rgb[pixel + channel]) - int(b.rgb[pixel + channel])) > 2) {
                ++differing;
                break;
            }
    return double(differing) / double(a.rgb.size() / 3);
}

void expectSameFrame(const std::string& picture, const std::string& capture)
{
    SCOPED_TRACE(picture);
    const Picture inDocs = loadPicture(std::string(OKV_DOCS_DIR "/") + picture);
    const Picture captured = loadPicture(capture);
    ASSERT_EQ(captured.width, 1280);
    ASSERT_EQ(captured.height, 960);
    ASSERT_EQ(inDocs.rgb.size(), captured.rgb.size());
    EXPECT_LT(differingShare(inDocs, captured), 0.002);
}

} // namespace

TEST(CaptureProgramTest, TheReadmePicturesAreFramesOfTheCurrentProgram)
{
    TemporaryDirectory shots;
    const std::string command = "cd '" OKV_DATA_DIR "' && '" OKV_CAPTURE_BINARY "' '" + shots.path() +
                                "' 1280 960 14.5 7 1.5 > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    const struct {
        const char* picture;
        const char* capture;
    } pairs[] = {{"okv-temple-sky.png", "okv-14.5.png"},
                 {"okv-temple-shadows.png", "okv-7.png"},
                 {"okv-pool.png", "okv-1.5.png"}};
    for (const auto& pair : pairs)
        expectSameFrame(pair.picture, shots.path() + "/" + pair.capture);
}

TEST(CaptureProgramTest, TheReadmePictureOfAnOwnModelIsAFrameOfTheCurrentProgram)
{
    TemporaryDirectory shots;
    const std::string capture = shots.path() + "/own-model.png";
    const std::string command =
        "bash '" OKV_CAPTURE_OWN_MODEL_SCRIPT "' '" OKV_DATA_DIR "/..' '" + capture + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    expectSameFrame("okv-own-model.png", capture);
}
