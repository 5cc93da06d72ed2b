// The README's pictures must be frames of the current program: the capture tool renders the
// same animation times again, and each must match its picture in docs/. A change that alters
// the frame fails here until the pictures are captured anew (the README says how).

#include "GLTestSupport.h"
#include "Picture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

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
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.picture);
        const Picture picture = loadPicture(std::string(OKV_DOCS_DIR "/") + pair.picture);
        const Picture capture = loadPicture(shots.path() + "/" + pair.capture);
        ASSERT_EQ(capture.width, 1280);
        ASSERT_EQ(capture.height, 960);
        ASSERT_EQ(picture.rgb.size(), capture.rgb.size());
        EXPECT_LT(differingShare(picture, capture), 0.002);
    }
}
