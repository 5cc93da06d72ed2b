// okv_breakdown OUTPUT_DIRECTORY WIDTH HEIGHT TIME
//
// Takes one frame of the real scene apart: renders it at animation time TIME in a window of
// WIDTH x HEIGHT and writes one PNG per step into OUTPUT_DIRECTORY, each read back from the GL
// buffers at that step (the list is `pictureNames` below), then prints the shadow volumes'
// figures per pass. Start it from the data directory, like the program.
//
// The program's own code renders every frame, unchanged; the frame's observer
// (app/FrameObserver.h) tells where each pass and step begins and ends. The same moment is
// rendered three times, each time observed for something else: as the program renders it;
// with the colour cleared before the lit and the ambient step, so that each shows alone; and
// with the shadow volumes captured (ShadowVolumeView.h), to count every volume fragment and
// to draw the screen pass's volumes afterwards.

#include "ShadowVolumeView.h"

#include "app/Renderer.h"
#include "common/ReadBack.h"
#include "common/SceneWindow.h"
#include "gl/FrameBuffer.h"
#include "gl/Texture.h"
#include "scene/Water.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

namespace {

constexpr int offScreenSize = Water::targetSize;

enum Picture {
    RefractionTexture,
    ReflectionStencil,
    ReflectionTexture,
    ScreenDepth,
    ScreenVolumeSides,
    ScreenVolumeCaps,
    ScreenStencil,
    ScreenSkyAndLight,
    ScreenLit,
    ScreenAmbient,
    ScreenFinal,
    PictureCount
};
// In the order the frame makes them.
const char* const pictureNames[PictureCount] = {
    "01-refraction-texture.png", "02-reflection-stencil.png",   "03-reflection-texture.png",
    "04-screen-depth.png",       "05-screen-volume-sides.png",  "06-screen-volume-caps.png",
    "07-screen-stencil.png",     "08-screen-sky-and-light.png", "09-screen-lit.png",
    "10-screen-ambient.png",     "11-screen-final.png"};

// Stencil counts from 0 to "3 or more", as the heat maps show them: 0 the scene's depth,
// dimmed; 1 yellow, 2 orange, 3 or more red (docs/frame.md says so beside the pictures).
constexpr int countClasses = 4;
const unsigned char countColours[countClasses][3] = {{0, 0, 0}, {255, 220, 60}, {255, 130, 0}, {215, 25, 25}};

struct PassFigures {
    GLuint volumeTriangles = 0;      // emitted by the shadow-volume geometry stage
    long volumeFragments = 0;        // every fragment of the volumes, passing the depth test or not
    long coveredPixels = 0;          // pixels with at least one volume fragment
    long counts[countClasses] = {};  // pixels by stencil count after the volume step
};

// What the three renderings of the frame leave behind.
struct Breakdown {
    int width = 0, height = 0;
    Image pictures[PictureCount];
    PassFigures figures[scenePassCount];
    Texture texture;                // window-sized target for the water textures and the volumes
    FrameBuffer* target = nullptr;  // made once there is a context, never freed
    GLuint primitivesQuery = 0;
} breakdown;

int targetWidth(ScenePass pass)
{
    return pass == ScenePass::Screen ? breakdown.width : offScreenSize;
}

int targetHeight(ScenePass pass)
{
    return pass == ScenePass::Screen ? breakdown.height : offScreenSize;
}

// Grey by eye distance, from white at the nearest point drawn to black at the distance that 95%
// of the drawn points lie within (the ground reaches much farther), on a logarithmic scale so
// that near objects keep their shades; the cleared background stays black.
Image depthShaded(const std::vector<float>& depth, int width, int height)
{
    const Mat4 projection = Renderer::instance().projectionMatrix();
    const float depthScale = projection[14], depthOffset = projection[10];
    // The inverse of the projection's depth mapping, from window depth to eye distance.
    const auto distanceAt = [=](float windowDepth) { return depthScale / (2.0f * windowDepth - 1.0f + depthOffset); };
    std::vector<float> distances;
    for (const float value : depth)
        if (value < 1.0f)
            distances.push_back(distanceAt(value));
    if (distances.empty())
        return Image(width, height);
    std::sort(distances.begin(), distances.end());
    const float nearest = distances.front(), range = std::log(distances[distances.size() * 95 / 100] / nearest);
    Image image(width, height);
    for (size_t pixel = 0; pixel < depth.size(); ++pixel) {
        const float shade =
            depth[pixel] < 1.0f ? 1.0f - std::log(distanceAt(depth[pixel]) / nearest) / std::max(range, 1e-3f) : 0.0f;
        std::fill_n(&image.rgb[pixel * 3], 3, static_cast<unsigned char>(std::clamp(shade, 0.0f, 1.0f) * 255.0f));
    }
    return image;
}

int countClass(unsigned char count)
{
    return std::min(int(count), countClasses - 1);
}

// Count 0 shows the scene's depth, dimmed; the others their colour.
Image heatMap(const std::vector<unsigned char>& stencil, const Image& depth)
{
    Image image(depth.width, depth.height);
    for (size_t pixel = 0; pixel < stencil.size(); ++pixel) {
        unsigned char* rgb = &image.rgb[pixel * 3];
        const int kind = countClass(stencil[pixel]);
        if (kind == 0)
            std::fill_n(rgb, 3, static_cast<unsigned char>(depth.rgb[pixel * 3] / 2));
        else
            std::copy_n(countColours[kind], 3, rgb);
    }
    return image;
}

// Nearest-pixel resampling, for counts that must not be blended. Rows are picked counting from
// the bottom, as GL numbers them.
Image resampled(const Image& picture, int width, int height)
{
    Image result(width, height);
    for (int y = 0; y < height; ++y) {
        const int sourceRow = picture.height - 1 - (height - 1 - y) * picture.height / height;
        for (int x = 0; x < width; ++x) {
            const unsigned char* source = picture.at(x * picture.width / width, sourceRow);
            std::copy(source, source + 3, result.at(x, y));
        }
    }
    return result;
}

// The off-screen passes render the screen's view squeezed into a square: shown stretched back
// to the window's shape.
Image textureAtWindowSize()
{
    GLint pass = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &pass);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, breakdown.target->id);
    glBlitFramebuffer(0, 0, offScreenSize, offScreenSize, 0, 0, breakdown.width, breakdown.height, GL_COLOR_BUFFER_BIT,
                      GL_LINEAR);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, breakdown.target->id);
    Image image = readColour(breakdown.width, breakdown.height);
    glBindFramebuffer(GL_FRAMEBUFFER, GLuint(pass));
    return image;
}

// What the three observers share: the pass in progress.
class PassObserver : public FrameObserver {
public:
    void beforePass(ScenePass pass, bool) override { current = pass; }

protected:
    ScenePass current = ScenePass::Refraction;
};

// The frame as the program renders it.
class AsRendered : public PassObserver {
public:
    void beforeStep(SceneStep step) override
    {
        if (step != SceneStep::ShadowVolumes)
            return;
        const int width = targetWidth(current), height = targetHeight(current);
        if (current != ScenePass::Refraction)
            depth = depthShaded(readDepth(width, height), width, height);
        if (current == ScenePass::Screen)
            breakdown.pictures[ScreenDepth] = depth;
        glBeginQuery(GL_PRIMITIVES_GENERATED, breakdown.primitivesQuery);
    }

    void afterStep(SceneStep step) override
    {
        const int width = targetWidth(current), height = targetHeight(current);
        if (step == SceneStep::ShadowVolumes) {
            glEndQuery(GL_PRIMITIVES_GENERATED);
            PassFigures& figures = breakdown.figures[int(current)];
            glGetQueryObjectuiv(breakdown.primitivesQuery, GL_QUERY_RESULT, &figures.volumeTriangles);
            const std::vector<unsigned char> stencil = readStencil(width, height);
            for (const unsigned char count : stencil)
                ++figures.counts[countClass(count)];
            if (current == ScenePass::Screen)
                breakdown.pictures[ScreenStencil] = heatMap(stencil, depth);
            // Shown stretched back to the window's shape, like the textures.
            if (current == ScenePass::Reflection)
                breakdown.pictures[ReflectionStencil] =
                    resampled(heatMap(stencil, depth), breakdown.width, breakdown.height);
        }
        if (current == ScenePass::Screen && step == SceneStep::SkyAndLight)
            breakdown.pictures[ScreenSkyAndLight] = readColour(width, height);
    }

    void afterPass(ScenePass pass, bool) override
    {
        if (pass == ScenePass::Screen)
            breakdown.pictures[ScreenFinal] = readColour(breakdown.width, breakdown.height);
        else
            breakdown.pictures[pass == ScenePass::Reflection ? ReflectionTexture : RefractionTexture] =
                textureAtWindowSize();
    }

private:
    Image depth;  // of the pass in progress
};

// The lit and the ambient step of the screen pass, each on a cleared colour buffer.
class ColourStepsAlone : public PassObserver {
public:
    void beforeStep(SceneStep step) override
    {
        if (current == ScenePass::Screen && (step == SceneStep::Lit || step == SceneStep::Ambient))
            glClear(GL_COLOR_BUFFER_BIT);
    }

    void afterStep(SceneStep step) override
    {
        if (current == ScenePass::Screen && step == SceneStep::Lit)
            breakdown.pictures[ScreenLit] = readColour(breakdown.width, breakdown.height);
        if (current == ScenePass::Screen && step == SceneStep::Ambient)
            breakdown.pictures[ScreenAmbient] = readColour(breakdown.width, breakdown.height);
    }
};

// Every volume fragment counted, whether it passes the depth test or not, and the screen
// pass's volumes kept.
class VolumesCounted : public PassObserver {
public:
    explicit VolumesCounted(ShadowVolumeView& view) : view(view) {}

    void beforeStep(SceneStep step) override
    {
        if (step != SceneStep::ShadowVolumes)
            return;
        if (current == ScenePass::Screen)
            view.keepDepth(*breakdown.target, breakdown.width, breakdown.height);
        view.beginStep();
    }

    void afterStep(SceneStep step) override
    {
        if (step != SceneStep::ShadowVolumes)
            return;
        view.endStep();
        view.countFragments();
        if (current != ScenePass::Screen)
            view.discardStep();
        PassFigures& figures = breakdown.figures[int(current)];
        for (const unsigned char count : readStencil(targetWidth(current), targetHeight(current))) {
            figures.volumeFragments += count;
            figures.coveredPixels += count > 0;
        }
    }

private:
    ShadowVolumeView& view;
};

void printFigures(float animationTime)
{
    std::printf("\nShadow volumes of the frame at animation time %g, window %d x %d, water textures %d x %d "
                "(volume fragments: all those rasterised, whether their depth test fails or not; stencil: the "
                "share of the pass's pixels by the count the volume step left):\n\n",
                double(animationTime), breakdown.width, breakdown.height, offScreenSize, offScreenSize);
    std::printf("| pass | triangles emitted | volume fragments | covered pixels | fragments per covered pixel | "
                "stencil 0 | 1 | 2 | 3 or more |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    for (const ScenePass pass : {ScenePass::Refraction, ScenePass::Reflection, ScenePass::Screen}) {
        const PassFigures& figures = breakdown.figures[int(pass)];
        const double pixels = double(targetWidth(pass)) * targetHeight(pass);
        std::printf("| %s | %u | %ld | %ld (%.1f%%) | %.1f |", nameOf(pass), figures.volumeTriangles,
                    figures.volumeFragments, figures.coveredPixels, 100.0 * double(figures.coveredPixels) / pixels,
                    figures.coveredPixels ? double(figures.volumeFragments) / double(figures.coveredPixels) : 0.0);
        for (const long count : figures.counts)
            std::printf(" %.1f%% |", 100.0 * double(count) / pixels);
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY WIDTH HEIGHT TIME   (run from the data directory)\n", argv[0]);
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::error_code ignored;  // a directory that cannot be made shows as files not written
    std::filesystem::create_directories(directory, ignored);
    breakdown.width = std::atoi(argv[2]);
    breakdown.height = std::atoi(argv[3]);
    const float animationTime = std::strtof(argv[4], nullptr);
    if (!openSceneWindow(argv[0], breakdown.width, breakdown.height))
        return 1;
    Renderer& renderer = Renderer::instance();
    breakdown.texture.create(GL_RGBA8, breakdown.width, breakdown.height, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
    breakdown.target = new FrameBuffer();
    breakdown.target->bind();
    breakdown.target->attachTexture(&breakdown.texture);
    breakdown.target->unbind();
    glGenQueries(1, &breakdown.primitivesQuery);
    ShadowVolumeView volumes;

    AsRendered asRendered;
    renderer.frameObserver = &asRendered;
    renderer.renderFrameAt(animationTime);
    ColourStepsAlone colourStepsAlone;
    renderer.frameObserver = &colourStepsAlone;
    renderer.renderFrameAt(animationTime);
    VolumesCounted volumesCounted(volumes);
    renderer.frameObserver = &volumesCounted;
    volumes.startCapturing();
    renderer.renderFrameAt(animationTime);
    volumes.stopCapturing();
    renderer.frameObserver = nullptr;
    breakdown.pictures[ScreenVolumeSides] =
        volumes.draw(true, breakdown.pictures[ScreenDepth], breakdown.texture, *breakdown.target);
    breakdown.pictures[ScreenVolumeCaps] =
        volumes.draw(false, breakdown.pictures[ScreenDepth], breakdown.texture, *breakdown.target);

    int failures = 0;
    for (int picture = 0; picture < PictureCount; ++picture) {
        const Image& image = breakdown.pictures[picture];
        const std::string path = (directory / pictureNames[picture]).string();
        if (image.width == 0 || !writeImage(path, image)) {
            std::fprintf(stderr, "could not write %s\n", path.c_str());
            ++failures;
        }
    }
    printFigures(animationTime);
    std::fflush(stdout);
    return failures == 0 && glGetError() == GL_NO_ERROR ? 0 : 1;
}
