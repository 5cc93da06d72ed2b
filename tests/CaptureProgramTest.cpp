// The README's and the pages' pictures must be frames of the current program. The script that
// makes them (scripts/pictures.sh) makes the stills and the own-model picture again from this
// build, with its animation times, sizes and data; of the animation, every tenth frame is
// captured again. Each must match its file in docs/, so a change that alters the frame fails
// here until the pictures are made anew.

#include "GLTestSupport.h"
#include "ImageDifference.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const char* const remakeThem = "; `bash scripts/pictures.sh` makes the pictures anew";

// Makes one set of pictures (stills, own-model) from this build into directory.
void makePictures(const char* set, const std::filesystem::path& directory)
{
    const std::string command =
        "bash '" OKV_PICTURES_SCRIPT "' '" OKV_DATA_DIR "/..' '" + directory.string() + "' " + set + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

}  // namespace

TEST(CaptureProgramTest, TheStillPicturesAreFramesOfTheCurrentProgram)
{
    const struct {
        const char* set;
        std::vector<const char*> pictures;
    } sets[] = {{"stills", {"okv-temple-sky.png", "okv-temple-shadows.png", "okv-pool.png"}},
                {"own-model", {"okv-own-model.png"}}};
    for (const auto& set : sets) {
        const TemporaryDirectory made("okv-test");
        makePictures(set.set, made.path());
        for (const char* picture : set.pictures) {
            SCOPED_TRACE(picture);
            const Image inDocs = loadImage(std::string(OKV_DOCS_DIR "/") + picture);
            const Image again = loadImage((made.path() / picture).string());
            ASSERT_EQ(again.width, 1280);
            ASSERT_EQ(again.height, 960);
            ASSERT_EQ(inDocs.rgb.size(), again.rgb.size()) << "docs/" << picture << remakeThem;
            EXPECT_LT(differingShare(inDocs, again), 0.002)
                << "docs/" << picture << " is not a frame of the current program" << remakeThem;
        }
    }
}

// Every tenth frame of the animation, captured again at its animation time (its frames are
// 0.02 animation units apart from 6.00, as scripts/pictures.sh makes them) and mapped onto the
// animation's own colours, as the script maps its captures: unchanged, that is the frame in the
// file; the next frame, a tenth of a second later, differs in nearly half its pixels. DevIL
// reads no GIF here, so ImageMagick, which makes the animation, takes its frames out, each whole
// (-coalesce: a frame of the file holds only what changed).
TEST(CaptureProgramTest, EveryTenthFrameOfTheAnimationIsAFrameOfTheCurrentProgram)
{
    const TemporaryDirectory made("okv-test");
    const std::string directory = made.path().string();
    std::vector<std::string> times;
    for (int frame = 0; frame < 100; frame += 10) {
        char time[16];
        std::snprintf(time, sizeof time, "%.2f", 6.0 + 0.02 * frame);
        times.emplace_back(time);
    }
    std::string command = "cd '" OKV_DATA_DIR "' && '" OKV_CAPTURE_BINARY "' '" + directory + "' 480 360";
    for (const std::string& time : times)
        command += " " + time;
    command += " > /dev/null && convert '" OKV_DOCS_DIR "/okv-demo.gif' -coalesce -write '" + directory +
               "/frame-%03d.png' -unique-colors -append -unique-colors '" + directory + "/colours.png'";
    for (const std::string& time : times)
        command += " && convert '" + directory + "/okv-" + time + ".png' +dither -remap '" + directory +
                   "/colours.png' '" + directory + "/mapped-" + time + ".png'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    EXPECT_TRUE(std::filesystem::exists(directory + "/frame-099.png")) << "fewer than 100 frames" << remakeThem;
    EXPECT_FALSE(std::filesystem::exists(directory + "/frame-100.png")) << "more than 100 frames" << remakeThem;
    for (size_t tenth = 0; tenth < times.size(); ++tenth) {
        SCOPED_TRACE("animation time " + times[tenth]);
        char frame[32];
        std::snprintf(frame, sizeof frame, "/frame-%03zu.png", tenth * 10);
        const Image inDocs = loadImage(directory + frame);
        const Image again = loadImage(directory + "/mapped-" + times[tenth] + ".png");
        ASSERT_EQ(again.width, 480);
        ASSERT_EQ(inDocs.rgb.size(), again.rgb.size()) << "docs/okv-demo.gif" << remakeThem;
        EXPECT_LT(differingShare(inDocs, again), 0.002)
            << "docs/okv-demo.gif is not made of frames of the current program" << remakeThem;
    }
}
