// The breakdown of a frame in docs/ must be the current program's, and its pictures must show
// what they claim. The breakdown tool takes the same frame apart again: every picture must
// match its copy in docs/frame/, and the figures it prints must be those docs/frame.md shows.
// The stencil picture must be non-zero exactly where a ray cast on the CPU finds shadow, and
// the volume picture must show front and back faces, sides and caps.

#include "Picture.h"
#include "ScenePassSupport.h"
#include "ShadowRayCast.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The test's own window has this size, so that its frame is the one the tool took apart.
constexpr int width = 800, height = 600;
constexpr float animationTime = 6.7f;
#define ANIMATION_TIME "6.7"

enum { ScreenVolumeSides = 4, ScreenVolumeCaps = 5, ScreenStencil = 6, ScreenSkyAndLight, ScreenLit, ScreenAmbient, ScreenFinal };
const char* const pictureNames[] = {
    "01-refraction-texture.png",   "02-reflection-stencil.png", "03-reflection-texture.png",
    "04-screen-depth.png",         "05-screen-volume-sides.png", "06-screen-volume-caps.png",
    "07-screen-stencil.png",       "08-screen-sky-and-light.png", "09-screen-lit.png",
    "10-screen-ambient.png",       "11-screen-final.png"};

// The frame part of a picture (without the legend below it), one value per pixel, with GL's
// bottom row first.
template <typename Value, typename Classify>
std::vector<Value> framePixels(const Picture& picture, Classify classify)
{
    std::vector<Value> values(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* rgb = &picture.rgb[(size_t(height - 1 - y) * size_t(picture.width) + size_t(x)) * 3];
            values[size_t(y) * width + size_t(x)] = classify(rgb);
        }
    return values;
}

// The heat map shows count 0 in grey and every other count in a colour.
bool counted(const unsigned char* rgb)
{
    return rgb[0] != rgb[1] || rgb[1] != rgb[2];
}

// The volume pictures tint front faces blue and back faces orange; where both lie over one
// another neither clearly wins.
enum Tint { Neither, Front, Back };
Tint tint(const unsigned char* rgb)
{
    constexpr int clearly = 40;
    return rgb[2] > rgb[0] + clearly ? Front : rgb[0] > rgb[2] + clearly ? Back : Neither;
}

} // namespace

TEST(BreakdownProgramTest, TheFrameInDocsIsTakenApartAgainAndItsPicturesShowWhatTheyClaim)
{
    TemporaryDirectory output;
    const std::string figuresFile = output.path() + "/figures.txt";
    const std::string command = "cd '" OKV_DATA_DIR "' && '" OKV_BREAKDOWN_BINARY "' '" + output.path() + "' " +
                                std::to_string(width) + " " + std::to_string(height) + " " ANIMATION_TIME " > '" +
                                figuresFile + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::vector<Picture> pictures;
    for (const char* name : pictureNames) {
        SCOPED_TRACE(name);
        const Picture picture = loadPicture(std::string(OKV_DOCS_DIR "/frame/") + name);
        pictures.push_back(loadPicture(output.path() + "/" + name));
        ASSERT_GE(pictures.back().height, height);
        ASSERT_EQ(picture.rgb.size(), pictures.back().rgb.size());
        EXPECT_LT(differingShare(picture, pictures.back()), 0.002);
    }

    // The colour steps add up to the frame: where the ambient step drew, the lit step's
    // colour plus the ambient's; elsewhere the sky and the light. Pixels at the edges of
    // objects mix the two, so a few differ.
    size_t differing = 0;
    for (size_t at = 0; at < size_t(width) * size_t(height) * 3; at += 3) {
        const unsigned char* ambient = &pictures[ScreenAmbient].rgb[at];
        const bool drawn = ambient[0] || ambient[1] || ambient[2];
        for (size_t c = 0; c < 3; ++c) {
            const int expected = drawn ? std::min(255, pictures[ScreenLit].rgb[at + c] + ambient[c])
                                       : pictures[ScreenSkyAndLight].rgb[at + c];
            if (std::abs(pictures[ScreenFinal].rgb[at + c] - expected) > 3) {
                ++differing;
                break;
            }
        }
    }
    EXPECT_LT(differing, size_t(width * height / 100));

    // The figures, one table row per pass, are the ones the document shows.
    const std::string frameDocument = readFile(OKV_DOCS_DIR "/frame.md");
    std::istringstream printed(readFile(figuresFile));
    int passRows = 0;
    double unshadowedShare = -1;
    for (std::string line; std::getline(printed, line);) {
        if (line.rfind("| ", 0) != 0)
            continue;
        EXPECT_NE(frameDocument.find(line), std::string::npos) << line;
        for (const char* pass : {"| refraction |", "| reflection |", "| screen |"})
            if (line.rfind(pass, 0) == 0) {
                ++passRows;
                EXPECT_EQ(line.find("| 0 |"), std::string::npos) << "a pass without volume triangles: " << line;
            }
        // The screen row's stencil counts end it: 0, 1, 2, 3 or more, in per cent.
        if (line.rfind("| screen |", 0) == 0) {
            std::vector<std::string> cells;
            std::istringstream row(line);
            for (std::string cell; std::getline(row, cell, '|');)
                cells.push_back(cell);
            unshadowedShare = std::atof(cells.at(cells.size() - 4).c_str()) / 100.0;
        }
    }
    EXPECT_EQ(passRows, 3);

    // The stencil picture of the screen pass is the shadow: its counted pixels are those the
    // ray cast finds in shadow, and their share is the one printed.
    Renderer& renderer = rendererWithScene();
    ASSERT_EQ(renderer.windowWidth, width);
    ASSERT_EQ(renderer.windowHeight, height);
    renderFrameAt(renderer, animationTime);
    Target screen(width, height, projectionOf(renderer), renderer.camera.worldMatrix());
    screen.stencil = framePixels<unsigned char>(pictures[ScreenStencil], counted);
    const Agreement agreement = compareWithRayCast(renderer, screen, false, renderer.screenLists.shadowCasters, 3);
    EXPECT_GT(agreement.compared, 5000);
    EXPECT_GT(agreement.shadowed, 1000);
    EXPECT_GE(agreement.fraction(), 0.99);
    long countedPixels = 0;
    for (const unsigned char value : screen.stencil)
        countedPixels += value;
    EXPECT_NEAR(1.0 - double(countedPixels) / double(width * height), unshadowedShare, 0.001);

    // The volume pictures show front and back sides, and caps.
    for (const auto& [picture, front, back] : {std::tuple{ScreenVolumeSides, 0.01, 0.01},
                                              std::tuple{ScreenVolumeCaps, 0.01, 0.0}}) {
        SCOPED_TRACE(pictureNames[picture]);
        const std::vector<Tint> tints = framePixels<Tint>(pictures[picture], tint);
        EXPECT_GT(std::count(tints.begin(), tints.end(), Front), front * width * height);
        EXPECT_GE(std::count(tints.begin(), tints.end(), Back), back * width * height);
    }
}
