// The frame taken apart in docs/ must be the current program's, and its pictures must show what
// they claim. The breakdown tool takes the same frame apart again: its pictures must be those
// in docs/frame/, and the figures it prints those docs/frame.md shows (`bash scripts/pictures.sh`
// makes both anew). The colour steps must add up to the frame, the stencil picture must agree
// with a ray cast on the CPU wherever the ray cast can decide (ShadowRayCast.h), and the volume
// pictures must show the faces the page says they show.

#include "ImageDifference.h"
#include "ScenePassSupport.h"
#include "ShadowRayCast.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const remakeThem = "; `bash scripts/pictures.sh` makes the pictures and figures anew";

// The test's own window has this size, so that its frame is the one the tool took apart.
constexpr int width = 800, height = 600;
constexpr float animationTime = 6.7f;
const char* const animationTimeArgument = "6.7";

// A picture of the frame, one value per pixel, with GL's bottom row first.
template <typename Value, typename Classify>
std::vector<Value> framePixels(const Image& picture, Classify classify)
{
    std::vector<Value> values(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            values[size_t(y) * width + size_t(x)] =
                classify(&picture.rgb[(size_t(height - 1 - y) * size_t(picture.width) + size_t(x)) * 3]);
    return values;
}

// The stencil pictures show count 0 in grey and every other count in a colour.
unsigned char counted(const unsigned char* rgb)
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

// The cells of a table row of the printed figures.
std::vector<std::string> cells(const std::string& row)
{
    std::vector<std::string> result;
    std::istringstream stream(row);
    for (std::string cell; std::getline(stream, cell, '|');)
        result.push_back(cell);
    return result;
}

}  // namespace

TEST(BreakdownProgramTest, TheFrameInDocsIsTakenApartAgainAndItsPicturesShowWhatTheyClaim)
{
    const TemporaryDirectory output("okv-test");
    const std::string figuresFile = (output.path() / "figures.txt").string();
    const std::string command = "cd '" OKV_DATA_DIR "' && '" OKV_BREAKDOWN_BINARY "' '" + output.path().string() +
                                "' " + std::to_string(width) + " " + std::to_string(height) + " " +
                                animationTimeArgument + " > '" + figuresFile + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    // Every picture the tool writes is in docs/frame/, and nothing else is.
    std::map<std::string, Image> pictures;
    for (const auto& file : std::filesystem::directory_iterator(output.path()))
        if (file.path().extension() == ".png")
            pictures[file.path().filename().string()] = loadImage(file.path().string());
    size_t documented = 0;
    for (const auto& file : std::filesystem::directory_iterator(OKV_DOCS_DIR "/frame")) {
        SCOPED_TRACE(file.path().string());
        ++documented;
        const Image picture = loadImage(file.path().string());
        const Image& again = pictures[file.path().filename().string()];
        ASSERT_EQ(again.height, height) << "the tool wrote no such picture" << remakeThem;
        ASSERT_EQ(picture.rgb.size(), again.rgb.size()) << remakeThem;
        EXPECT_LT(differingShare(picture, again), 0.002) << "not a picture of the current frame" << remakeThem;
    }
    EXPECT_EQ(documented, pictures.size()) << "docs/frame/ holds other pictures than the tool writes" << remakeThem;

    // The colour steps add up to the frame: where the ambient step drew, the lit step's
    // colour plus the ambient's; elsewhere the sky and the light.
    const Image& final = pictures["11-screen-final.png"];
    const Image& lit = pictures["09-screen-lit.png"];
    const Image& ambient = pictures["10-screen-ambient.png"];
    const Image& skyAndLight = pictures["08-screen-sky-and-light.png"];
    size_t differing = 0;
    for (size_t at = 0; at < final.rgb.size(); at += 3) {
        const bool drawn = ambient.rgb[at] || ambient.rgb[at + 1] || ambient.rgb[at + 2];
        for (size_t c = at; c < at + 3; ++c) {
            const int expected = drawn ? std::min(255, lit.rgb[c] + ambient.rgb[c]) : skyAndLight.rgb[c];
            if (std::abs(final.rgb[c] - expected) > 3) {
                ++differing;
                break;
            }
        }
    }
    EXPECT_LT(differing, final.rgb.size() / 3 / 100);

    // The figures, one table row per pass, are the ones the document shows.
    const std::string frameDocument = readFile(OKV_DOCS_DIR "/frame.md");
    std::istringstream printed(readFile(figuresFile));
    std::map<std::string, std::vector<std::string>> passRows;
    for (std::string line; std::getline(printed, line);) {
        if (line.rfind("| ", 0) != 0)
            continue;
        EXPECT_NE(frameDocument.find(line), std::string::npos) << "not in docs/frame.md: " << line << remakeThem;
        const std::vector<std::string> row = cells(line);
        if (row.size() == 10 && row[1] != " pass " && row[1] != "---")
            passRows[row[1]] = row;
    }
    ASSERT_EQ(passRows.size(), 3u);
    for (const auto& [pass, row] : passRows)
        EXPECT_GT(std::atoi(row[2].c_str()), 0) << "no volume triangles in the" << pass << "pass";

    // The stencil picture of the screen pass is the shadow: its counted pixels are those the
    // ray cast finds in shadow, and their share is the one printed.
    Renderer& renderer = rendererWithScene();
    ASSERT_EQ(renderer.windowWidth, width);
    ASSERT_EQ(renderer.windowHeight, height);
    renderer.renderFrameAt(animationTime);
    Target screen(width, height, renderer.projectionMatrix(), renderer.camera.worldMatrix());
    screen.stencil = framePixels<unsigned char>(pictures["07-screen-stencil.png"], counted);
    const Agreement agreement = compareWithRayCast(renderer, screen, false, renderer.screenLists.shadowCasters, 3);
    EXPECT_GT(agreement.compared, 5000);
    EXPECT_GT(agreement.shadowed, 1000);
    EXPECT_GE(agreement.fraction(), 0.99);
    const long countedPixels = std::count(screen.stencil.begin(), screen.stencil.end(), 1);
    EXPECT_NEAR(100.0 * (1.0 - double(countedPixels) / double(width * height)),
                std::atof(passRows.at(" screen ").at(6).c_str()), 0.1);

    // The page's case against depth-pass counting: in this frame the eye stands in a shadow, so
    // every ray from it leaves a volume through a back face, and most of the sides' picture is
    // orange. The caps it sees all face it: the far caps lie behind the eye.
    const Vec4 eye = renderer.camera.getPosition(), light = renderer.light.getWorldPosition();
    EXPECT_TRUE(Occluders(renderer.screenLists.shadowCasters, false)
                    .blocked({eye.x, eye.y, eye.z}, {light.x, light.y, light.z}));
    const auto share = [&pictures](const char* name, Tint wanted) {
        const std::vector<Tint> tints = framePixels<Tint>(pictures[name], tint);
        return double(std::count(tints.begin(), tints.end(), wanted)) / (width * height);
    };
    EXPECT_GT(share("05-screen-volume-sides.png", Front), 0.01);
    EXPECT_GT(share("05-screen-volume-sides.png", Back), 0.5);
    EXPECT_GT(share("06-screen-volume-caps.png", Front), 0.01);
    EXPECT_LT(share("06-screen-volume-caps.png", Back), 0.001);
}
