// okv_breakdown OUTPUT_DIRECTORY WIDTH HEIGHT TIME
//
// Takes one frame of the real scene apart: renders it at animation time TIME in a window of
// WIDTH x HEIGHT and writes one PNG per step into OUTPUT_DIRECTORY, each read back from the GL
// buffers at that step (the list is `pictureNames` below), then prints the shadow volumes'
// figures per pass. Start it from the data directory, like the program.
//
// The program's own code renders every frame, unchanged; the steps are found by watching its
// GL calls (SceneSteps.h). The same moment is rendered three times, each time watched for
// something else: as the program renders it; with the colour cleared before the lit and the
// ambient step, so that each shows alone; and with every volume fragment counted in the
// stencil (not only the depth failures), while the triangles of the screen pass's volumes
// are captured to be drawn afterwards.

#include "Image.h"
#include "SceneSteps.h"
#include "SceneWindow.h"
#include "ShadowVolumeView.h"

#include "app/Renderer.h"
#include "gl/FrameBuffer.h"
#include "gl/Texture.h"
#include "scene/Water.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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
    "01-refraction-texture.png",   "02-reflection-stencil.png", "03-reflection-texture.png",
    "04-screen-depth.png",         "05-screen-volume-sides.png", "06-screen-volume-caps.png",
    "07-screen-stencil.png",       "08-screen-sky-and-light.png", "09-screen-lit.png",
    "10-screen-ambient.png",       "11-screen-final.png"};

// Stencil counts from 0 to "3 or more", as the heat maps show them.
constexpr int countClasses = 4;
const Colour countColours[countClasses] = {{0, 0, 0}, {255, 220, 60}, {255, 130, 0}, {215, 25, 25}};
const std::vector<Swatch> countLegend = {{{110, 110, 110}, "STENCIL 0"},
                                         {countColours[1], "1"},
                                         {countColours[2], "2"},
                                         {countColours[3], "3+"}};

struct PassFigures {
    GLuint volumeTriangles = 0;  // emitted by the shadow-volume geometry stage
    long volumeFragments = 0;    // every fragment of the volumes, passing the depth test or not
    long coveredPixels = 0;      // pixels with at least one volume fragment
    long counts[countClasses] = {};  // pixels by stencil count after the volume step
};

// What the three renderings of the frame leave behind.
struct Breakdown {
    int width = 0, height = 0;
    Mat4 projection;
    Image pictures[PictureCount];
    PassFigures figures[PassCount];
    Texture texture;    // window-sized target for the water textures and the volumes
    FrameBuffer* target = nullptr;  // made once there is a context, never freed
    GLuint primitivesQuery = 0;
} breakdown;

int targetWidth(Pass pass)
{
    return pass == Screen ? breakdown.width : offScreenSize;
}

int targetHeight(Pass pass)
{
    return pass == Screen ? breakdown.height : offScreenSize;
}

// Grey by eye distance, from white at the nearest point drawn to black at the distance that 95%
// of the drawn points lie within (the ground reaches much farther), on a logarithmic scale so
// that near objects keep their shades; the cleared background stays black.
Image depthShaded(const std::vector<float>& depth, int width, int height)
{
    const float depthScale = breakdown.projection[14], depthOffset = breakdown.projection[10];
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

// Count 0 shows the scene's depth, dimmed; the others their colour. No legend yet.
Image heatMap(const std::vector<unsigned char>& stencil, const Image& depth)
{
    Image image(depth.width, depth.height);
    for (size_t pixel = 0; pixel < stencil.size(); ++pixel) {
        unsigned char* rgb = &image.rgb[pixel * 3];
        const int kind = countClass(stencil[pixel]);
        if (kind == 0) {
            std::fill_n(rgb, 3, static_cast<unsigned char>(depth.rgb[pixel * 3] / 2));
        } else {
            rgb[0] = countColours[kind].r;
            rgb[1] = countColours[kind].g;
            rgb[2] = countColours[kind].b;
        }
    }
    return image;
}

// The frame as the program renders it.
class AsRendered : public StepWatcher {
public:
    void stepChanged(Pass pass, Step ended, Step next) override
    {
        const int width = targetWidth(pass), height = targetHeight(pass);
        if (next == ShadowVolumes) {
            if (pass != Refraction)
                depth = depthShaded(readDepth(width, height), width, height);
            if (pass == Screen)
                breakdown.pictures[ScreenDepth] = depth;
            glBeginQuery(GL_PRIMITIVES_GENERATED, breakdown.primitivesQuery);
        }
        if (ended == ShadowVolumes) {
            glEndQuery(GL_PRIMITIVES_GENERATED);
            PassFigures& figures = breakdown.figures[pass];
            glGetQueryObjectuiv(breakdown.primitivesQuery, GL_QUERY_RESULT, &figures.volumeTriangles);
            const std::vector<unsigned char> stencil = readStencil(width, height);
            for (const unsigned char count : stencil)
                ++figures.counts[countClass(count)];
            if (pass == Screen)
                breakdown.pictures[ScreenStencil] = withLegend(heatMap(stencil, depth), countLegend);
            // Shown stretched back to the window's shape, like the textures.
            if (pass == Reflection)
                breakdown.pictures[ReflectionStencil] = withLegend(
                    resampled(heatMap(stencil, depth), breakdown.width, breakdown.height), countLegend);
        }
        if (pass == Screen && ended == SkyAndLight)
            breakdown.pictures[ScreenSkyAndLight] = readColour(width, height);
        if (next == None && pass == Screen)
            breakdown.pictures[ScreenFinal] = readColour(width, height);
        else if (next == None)
            breakdown.pictures[pass == Reflection ? ReflectionTexture : RefractionTexture] = textureAtWindowSize();
    }

private:
    Image depth;  // of the pass in progress

    // The off-screen passes render the screen's view squeezed into a square: shown stretched
    // back to the window's shape.
    static Image textureAtWindowSize()
    {
        GLint pass = 0;
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &pass);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, breakdown.target->id);
        glBlitFramebuffer(0, 0, offScreenSize, offScreenSize, 0, 0, breakdown.width, breakdown.height,
                          GL_COLOR_BUFFER_BIT, GL_LINEAR);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, breakdown.target->id);
        Image image = readColour(breakdown.width, breakdown.height);
        glBindFramebuffer(GL_FRAMEBUFFER, GLuint(pass));
        return image;
    }
};

// The lit and the ambient step of the screen pass, each on a cleared colour buffer.
class ColourStepsAlone : public StepWatcher {
public:
    void stepChanged(Pass pass, Step ended, Step next) override
    {
        if (pass != Screen)
            return;
        if (ended == Lit)
            breakdown.pictures[ScreenLit] = readColour(breakdown.width, breakdown.height);
        if (ended == Ambient)
            breakdown.pictures[ScreenAmbient] = readColour(breakdown.width, breakdown.height);
        if (next == Lit || next == Ambient)
            glClear(GL_COLOR_BUFFER_BIT);
    }
};

// Every volume fragment counted, whether it passes the depth test or not, and the screen
// pass's volumes captured.
class VolumesCounted : public StepWatcher {
public:
    explicit VolumesCounted(ShadowVolumeView& view) : view(view) {}

    // Before every draw, not once at the step's start: the scene pass sets its own stencil
    // operations after the step has begun.
    void beforeDraw(Pass, Step step) override
    {
        if (step == ShadowVolumes)
            glStencilOpSeparate(GL_FRONT_AND_BACK, GL_KEEP, GL_INCR, GL_INCR);
    }

    void afterDraw(Pass pass, Step step, const DrawCall& call) override
    {
        if (pass == Screen && step == ShadowVolumes)
            view.capture(call);
    }

    void stepChanged(Pass pass, Step ended, Step next) override
    {
        if (pass == Screen && next == ShadowVolumes)
            view.keepDepth(*breakdown.target, breakdown.width, breakdown.height);
        if (ended != ShadowVolumes)
            return;
        PassFigures& figures = breakdown.figures[pass];
        for (const unsigned char count : readStencil(targetWidth(pass), targetHeight(pass))) {
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
    for (int pass = 0; pass < PassCount; ++pass) {
        const PassFigures& figures = breakdown.figures[pass];
        const double pixels = double(targetWidth(Pass(pass))) * targetHeight(Pass(pass));
        std::printf("| %s | %u | %ld | %ld (%.1f%%) | %.1f |", passNames[pass], figures.volumeTriangles,
                    figures.volumeFragments, figures.coveredPixels, 100.0 * double(figures.coveredPixels) / pixels,
                    figures.coveredPixels ? double(figures.volumeFragments) / double(figures.coveredPixels) : 0.0);
        for (const long count : figures.counts)
            std::printf(" %.1f%% |", 100.0 * double(count) / pixels);
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY WIDTH HEIGHT TIME   (run from the data directory)\n",
                     argv[0]);
        return 2;
    }
    const std::string directory = argv[1];
    breakdown.width = std::atoi(argv[2]);
    breakdown.height = std::atoi(argv[3]);
    const float animationTime = std::strtof(argv[4], nullptr);
    if (!openSceneWindow(argv[0], breakdown.width, breakdown.height)) {
        std::fprintf(stderr, "the window did not become %dx%d\n", breakdown.width, breakdown.height);
        return 1;
    }
    Renderer& renderer = Renderer::instance();
    watchGlewEntryPoints();
    glGetUniformfv(renderer.defaultProgram, glGetUniformLocation(renderer.defaultProgram, "ProjectionMatrix"),
                   breakdown.projection.m.data());
    breakdown.texture.create(GL_RGBA8, breakdown.width, breakdown.height, GL_RGBA, GL_UNSIGNED_BYTE, 0, nullptr, 0);
    breakdown.target = new FrameBuffer();
    breakdown.target->bind();
    breakdown.target->attachTexture(&breakdown.texture);
    breakdown.target->unbind();
    glGenQueries(1, &breakdown.primitivesQuery);
    ShadowVolumeView volumes;

    AsRendered asRendered;
    ColourStepsAlone colourStepsAlone;
    VolumesCounted volumesCounted(volumes);
    for (StepWatcher* watcher : std::initializer_list<StepWatcher*>{&asRendered, &colourStepsAlone, &volumesCounted}) {
        watchSteps(watcher);
        renderFrameAt(animationTime);
        watchSteps(nullptr);
    }
    breakdown.pictures[ScreenVolumeSides] =
        withLegend(volumes.draw(true, breakdown.pictures[ScreenDepth], breakdown.texture, *breakdown.target),
                   ShadowVolumeView::sidesLegend);
    breakdown.pictures[ScreenVolumeCaps] =
        withLegend(volumes.draw(false, breakdown.pictures[ScreenDepth], breakdown.texture, *breakdown.target),
                   ShadowVolumeView::capsLegend);

    int failures = 0;
    for (int picture = 0; picture < PictureCount; ++picture) {
        const Image& image = breakdown.pictures[picture];
        const std::string path = directory + "/" + pictureNames[picture];
        if (image.width == 0 || !writePng(path, image.width, image.height, image.rgb)) {
            std::fprintf(stderr, "could not write %s\n", path.c_str());
            ++failures;
        }
    }
    printFigures(animationTime);
    std::fflush(stdout);
    return failures == 0 && glGetError() == GL_NO_ERROR ? 0 : 1;
}
