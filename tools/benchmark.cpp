// Frame and start-up benchmark of the real scene, built through the program's own code
// (Renderer::instance, initWindow, initShaders, loadScene, renderFrameAt). Prints:
//   - start-up: window, shaders, scene, first frame, and each model, texture and the sky box
//     loaded once more, one by one, by a fresh DataLoader (the scene assembly does them all in
//     one call, with every file read ahead);
//   - frame time (median, 95th percentile, frames per second) at 1280 x 1024 and 1920 x 1080,
//     each frame rendered at a fixed animation time, swapped and closed with glFinish;
//   - the floor at 1280 x 1024: the same frames with constant-colour surfaces in place of the
//     default program's fragment shader, in turn with real frames, and the ratio real / floor;
//   - per pass (refraction, reflection, screen) and per step inside a pass, as the frame's
//     observer tells them (app/FrameObserver.h): GL timer queries, main-thread time, and wall
//     time with every step closed by glFinish;
//   - GL calls per frame, from apitrace, and peak resident memory.
//
// Run from the data directory on an X screen of at least 1920 x 1080:
//   Xvfb :26 -screen 0 1920x1080x24 +extension GLX &
//   cd build/data && DISPLAY=:26 ../tools/okv_benchmark [--frames N]
//
// The program's own console lines go to a temporary file, so that the figures stay readable;
// the benchmark checks in them that loading ended with GL error 0.

#include "app/Callbacks.h"
#include "app/Renderer.h"
#include "app/SceneFiles.h"
#include "app/ShaderPrograms.h"
#include "common/ProcessFigures.h"
#include "common/SceneWindow.h"
#include "common/TemporaryDirectory.h"
#include "gl/Uniforms.h"
#include "loader/DataLoader.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

FILE* report = stdout;  // the figures; the program's own lines go elsewhere

struct Summary {
    double median, percentile95, mean;
};

Summary summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    Summary summary{};
    if (n == 0)
        return summary;
    summary.median = n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
    // Nearest rank.
    summary.percentile95 = values[std::min(n - 1, size_t(std::ceil(0.95 * double(n))) - 1)];
    double sum = 0;
    for (double value : values)
        sum += value;
    summary.mean = sum / double(n);
    return summary;
}

// The whole camera loop (8 path segments at 0.5 per animation unit) in even steps.
float animationTimeOf(int frame, int frames)
{
    return 16.0f * float(frame) / float(frames);
}

// One frame at a fixed animation time as the program shows it, swapped and closed by
// glFinish, in milliseconds.
double timedFrameAt(float animationTime)
{
    const Clock::time_point start = Clock::now();
    Renderer::instance().renderFrameAt(animationTime);
    glutSwapBuffers();
    glFinish();
    return millisecondsBetween(start, Clock::now());
}

void measureFrames(int width, int height, int frames)
{
    if (!resizeWindow(width, height)) {
        fprintf(report, "  %dx%d: the window did not reach this size (screen too small?)\n", width, height);
        return;
    }
    for (int warmUp = 0; warmUp < 5; ++warmUp)
        timedFrameAt(animationTimeOf(warmUp, 5));
    std::vector<double> times;
    times.reserve(size_t(frames));
    for (int frame = 0; frame < frames; ++frame)
        times.push_back(timedFrameAt(animationTimeOf(frame, frames)));
    const Summary summary = summarise(times);
    fprintf(report, "  %4dx%-4d  median %7.1f ms (%5.1f fps)   95th percentile %7.1f ms (%5.1f fps)   mean %7.1f ms\n",
            width, height, summary.median, 1000.0 / summary.median, summary.percentile95, 1000.0 / summary.percentile95,
            summary.mean);
}

// The floor's surfaces: one colour, no texture, no light. What the real frame costs beyond
// the floor is the surface shading.
const char* const floorFragmentSource = R"(#version 150 core
out vec4 fragColor;
void main()
{
    fragColor = vec4(0.5, 0.5, 0.5, 1.0);
}
)";

// The default program's vertex stage and attribute bindings with the floor's fragment stage.
// The frame sets the view, the cut plane mode and the light through Renderer::defaultProgram
// and each draw its model matrix, so only the uniforms set once are set here.
GLuint buildFloorProgram()
{
    const Renderer& renderer = Renderer::instance();
    const GLuint defaultProgram = renderer.defaultProgram;
    GLuint program = glCreateProgram();
    loadShader(&program, GL_VERTEX_SHADER, "DefaultShader.vert.glsl");
    const GLuint fragment = glCreateShader(GL_FRAGMENT_SHADER);
    glShaderSource(fragment, 1, &floorFragmentSource, nullptr);
    glCompileShader(fragment);
    checkStatus(fragment);
    glAttachShader(program, fragment);
    glDeleteShader(fragment);
    GLint attributes = 0;
    glGetProgramiv(defaultProgram, GL_ACTIVE_ATTRIBUTES, &attributes);
    for (GLint index = 0; index < attributes; ++index) {
        char name[64];
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(defaultProgram, GLuint(index), sizeof name, nullptr, &size, &type, name);
        glBindAttribLocation(program, GLuint(glGetAttribLocation(defaultProgram, name)), name);
    }
    glLinkProgram(program);
    checkStatus(program);
    setUniform(program, "ProjectionMatrix", renderer.projectionMatrix());
    setUniform(program, "cutPlaneHeight", Water::planeHeight);
    return program;
}

// Real and floor frames in turn at each animation time, so that whatever else the machine
// does meanwhile weighs on both alike; the CPU time ratio hardly depends on that load at all.
// The scene objects hold the address of Renderer::defaultProgram, so changing its value
// changes their program.
void measureFloor(int frames)
{
    Renderer& renderer = Renderer::instance();
    const GLuint realProgram = renderer.defaultProgram;
    const GLuint floorProgram = buildFloorProgram();
    std::vector<double> realTimes, floorTimes, realCpu, floorCpu;
    for (int frame = -3; frame < frames; ++frame) {  // three warm-up frames each
        const float time = animationTimeOf(std::max(frame, 0), frames);
        const double realStart = processCpuMilliseconds();
        const double realTime = timedFrameAt(time);
        const double floorStart = processCpuMilliseconds();
        renderer.defaultProgram = floorProgram;
        const double floorTime = timedFrameAt(time);
        renderer.defaultProgram = realProgram;
        if (frame >= 0) {
            realTimes.push_back(realTime);
            floorTimes.push_back(floorTime);
            realCpu.push_back(floorStart - realStart);
            floorCpu.push_back(processCpuMilliseconds() - floorStart);
        }
    }
    const double realMedian = summarise(realTimes).median, floorMedian = summarise(floorTimes).median;
    fprintf(report,
            "  %4dx%-4d  floor (constant-colour surfaces) median %7.1f ms; real frames in turn with it median "
            "%7.1f ms; real / floor %.2f (CPU time %.2f)\n",
            renderer.windowWidth, renderer.windowHeight, floorMedian, realMedian, realMedian / floorMedian,
            summarise(realCpu).median / summarise(floorCpu).median);
}

enum class Measure { TimerQueries, MainThread, FinishEachStep };

// The time of every step of every pass in one frame, measured as it is told.
class StepTimer : public FrameObserver {
public:
    explicit StepTimer(Measure measure) : measure(measure)
    {
        if (measure == Measure::TimerQueries)
            glGenQueries(scenePassCount * sceneStepCount, &queries[0][0]);
    }

    ~StepTimer() override
    {
        if (measure == Measure::TimerQueries)
            glDeleteQueries(scenePassCount * sceneStepCount, &queries[0][0]);
    }

    StepTimer(const StepTimer&) = delete;
    StepTimer& operator=(const StepTimer&) = delete;

    void beforePass(ScenePass pass, bool) override { currentPass = int(pass); }

    void beforeStep(SceneStep step) override
    {
        if (measure == Measure::FinishEachStep)
            glFinish();
        if (measure == Measure::TimerQueries)
            glBeginQuery(GL_TIME_ELAPSED, queries[currentPass][int(step)]);
        stepStart = Clock::now();
    }

    void afterStep(SceneStep step) override
    {
        if (measure == Measure::FinishEachStep)
            glFinish();
        if (measure == Measure::TimerQueries)
            glEndQuery(GL_TIME_ELAPSED);
        milliseconds[currentPass][int(step)] = millisecondsBetween(stepStart, Clock::now());
    }

    // After the frame.
    double millisecondsOf(int pass, int step) const
    {
        if (measure != Measure::TimerQueries)
            return milliseconds[pass][step];
        GLuint64 nanoseconds = 0;
        glGetQueryObjectui64v(queries[pass][step], GL_QUERY_RESULT, &nanoseconds);
        return double(nanoseconds) * 1e-6;
    }

private:
    const Measure measure;
    GLuint queries[scenePassCount][sceneStepCount] = {};
    double milliseconds[scenePassCount][sceneStepCount] = {};
    int currentPass = 0;
    Clock::time_point stepStart;
};

// Per pass and step, the median over frames of what the step timer measured in each frame.
void measureSteps(Measure measure, int frames, const char* title)
{
    Renderer& renderer = Renderer::instance();
    std::vector<double> samples[scenePassCount][sceneStepCount];
    std::vector<double> frameTimes;
    for (int frame = 0; frame < frames; ++frame) {
        StepTimer timer(measure);
        renderer.frameObserver = &timer;
        frameTimes.push_back(timedFrameAt(animationTimeOf(frame, frames)));
        renderer.frameObserver = nullptr;
        for (int pass = 0; pass < scenePassCount; ++pass)
            for (int step = 0; step < sceneStepCount; ++step)
                samples[pass][step].push_back(timer.millisecondsOf(pass, step));
    }

    fprintf(report, "\n%s (median over %d frames, ms)\n", title, frames);
    fprintf(report, "  %-11s", "pass");
    for (int step = 0; step < sceneStepCount; ++step)
        fprintf(report, " %15s", nameOf(SceneStep(step)));
    fprintf(report, " %10s\n", "pass total");
    double allPasses = 0;
    for (int pass = 0; pass < scenePassCount; ++pass) {
        fprintf(report, "  %-11s", nameOf(ScenePass(pass)));
        double total = 0;
        for (int step = 0; step < sceneStepCount; ++step) {
            const double median = summarise(samples[pass][step]).median;
            total += median;
            fprintf(report, " %15.2f", median);
        }
        allPasses += total;
        fprintf(report, " %10.2f\n", total);
    }
    fprintf(report, "  sum of the passes %.2f ms; whole frame (renderFrameAt + swap + glFinish) median %.2f ms\n",
            allPasses, summarise(frameTimes).median);
}

// The GL calls of one frame, by function: apitrace records okv_capture rendering the frame
// at animation time 1, whose frames carry debug groups named after the frame, its passes and
// their steps; every call inside the "frame" group counts, but the groups' own.
void countCallsPerFrame()
{
    const TemporaryDirectory scratch("okv-benchmark");
    const std::string trace = (scratch.path() / "capture.trace").string();
    const std::string log = (scratch.path() / "capture.log").string();
    const std::string dump = (scratch.path() / "dump.txt").string();
    const std::string command = "apitrace trace --output=\"" + trace + "\" \"" OKV_CAPTURE_BINARY "\" \"" +
                                scratch.path().string() + "\" 320 240 1 > \"" + log + "\" 2>&1 && " +
                                "apitrace dump --color=never --call-nos=no \"" + trace + "\" > \"" + dump + "\"";
    if (std::system(command.c_str()) != 0) {
        fprintf(report, "\nGL calls per frame: no trace (is apitrace installed?): %s\n", command.c_str());
        return;
    }
    std::ifstream calls(dump);
    std::map<std::string, long> counts;
    int depth = 0;  // of debug groups, inside the first frame
    for (std::string call; std::getline(calls, call);) {
        const bool opens = call.rfind("glPushDebugGroup(", 0) == 0, closes = call.rfind("glPopDebugGroup(", 0) == 0;
        if (depth == 0 && !(opens && call.find("message = \"frame\"") != std::string::npos))
            continue;
        depth += opens ? 1 : closes ? -1 : 0;
        if (depth == 0)
            break;
        if (!opens && !closes && call.rfind("gl", 0) == 0)
            ++counts[call.substr(0, call.find('('))];
    }
    long total = 0;
    std::vector<std::pair<long, std::string>> byCount;
    for (const auto& [name, count] : counts) {
        total += count;
        byCount.push_back({count, name});
    }
    std::sort(byCount.rbegin(), byCount.rend());
    fprintf(report, "\nGL calls per frame: %ld (plus glutGet, glutSwapBuffers, glutPostRedisplay)\n ", total);
    for (const auto& [count, name] : byCount)
        fprintf(report, " %s %ld", name.c_str(), count);
    fprintf(report, "\n");
}

// The loader's work once more, item by item, in a fresh DataLoader that reads nothing ahead:
// each model's first look and each image is read in a child process of its own while the
// program waits, so the items show what each file costs alone, and their sum exceeds loadScene,
// where one child reads every file ahead of the program. The models go through a directory
// spelled differently ("./models/./"), since a path already in the mesh registry would not be
// imported again; the files and the work are the same as in loadScene.
void timeLoaderItems()
{
    fprintf(report, "\nStart-up items, loaded once more by a fresh DataLoader after the scene, one by one (ms):\n");
    double sum = 0;
    auto timed = [&](const std::string& label, auto work) {
        const Clock::time_point start = Clock::now();
        work();
        glFinish();
        const double milliseconds = millisecondsBetween(start, Clock::now());
        sum += milliseconds;
        fprintf(report, "  %-52s %8.1f\n", label.c_str(), milliseconds);
    };
    DataLoader* loader = nullptr;
    timed("DataLoader construction (loggers, DevIL)", [&] { loader = new DataLoader(); });
    timed(std::string("sky box: loadCubeMap ") + sceneFiles::skyBoxDirectory,
          [&] { loader->loadCubeMap(sceneFiles::skyBoxDirectory); });
    for (const sceneFiles::Model& model : sceneFiles::models)
        timed(std::string("model ") + model.file + " (with its textures)", [&] {
            loader->loadModel(std::string(sceneFiles::modelDirectory) + "./", model.file, model.orientation,
                              model.adjacency, new Mesh(), new std::vector<Material*>());
        });
    timed(std::string("texture ") + sceneFiles::waveMap, [&] { loader->loadTexture(sceneFiles::waveMap); });
    timed("DataLoader destruction", [&] { delete loader; });
    fprintf(report, "  %-52s %8.1f\n", "sum", sum);

    fprintf(report, "\nThe images beside the models alone (already inside the model figures above, ms):\n");
    DataLoader textureLoader;
    std::vector<std::string> images;
    for (const auto& entry : std::filesystem::directory_iterator(sceneFiles::modelDirectory))
        if (entry.path().extension() != ".dae")
            images.push_back(std::string(sceneFiles::modelDirectory) + entry.path().filename().string());
    std::sort(images.begin(), images.end());
    for (const std::string& path : images) {
        const Clock::time_point start = Clock::now();
        textureLoader.loadTexture(path);
        glFinish();
        fprintf(report, "  %-52s %8.1f\n", path.c_str(), millisecondsBetween(start, Clock::now()));
    }
}

// The frames the main loop has shown, each rendered by the program's own display callback.
int framesShown = 0;

void displayAndCount()
{
    displayCallback();
    ++framesShown;
}

}  // namespace

int main(int argc, char** argv)
{
    const Clock::time_point mainStart = Clock::now();
    const double processToMain = secondsSinceProcessStart();
    int frames = 60;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--frames") && i + 1 < argc) {
            frames = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: %s [--frames N]   (run from the data directory)\n", argv[0]);
            return 2;
        }
    }

    // The figures keep the terminal; the program's lines go to a file checked afterwards.
    const TemporaryDirectory scratch("okv-benchmark-output");
    const std::string logName = (scratch.path() / "program-output.txt").string();
    report = keepConsole();
    if (!std::freopen(logName.c_str(), "w", stdout)) {
        std::fprintf(report, "okv_benchmark: cannot write %s\n", logName.c_str());
        return 1;
    }

    Renderer& renderer = Renderer::instance();
    const SceneStart start = startScene(argv[0]);
    // The program's own next steps: full screen, clock start, main loop until the first frame.
    glutDisplayFunc(displayAndCount);
    glutFullScreen();
    renderer.lastFrameTime = glutGet(GLUT_ELAPSED_TIME);
    while (framesShown == 0)
        glutMainLoopEvent();
    glFinish();
    const Clock::time_point firstFrameDone = Clock::now();
    const int firstFrameWidth = renderer.windowWidth, firstFrameHeight = renderer.windowHeight;
    const double secondFrame = timedFrameAt(0.0f);
    const int fullScreenWidth = glutGet(GLUT_SCREEN_WIDTH), fullScreenHeight = glutGet(GLUT_SCREEN_HEIGHT);
    const double startupToFirstFrame = processToMain + millisecondsBetween(mainStart, firstFrameDone) / 1000.0;

    GLint samples = 0, stencilBits = 0, timerBits = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE,
                                          &stencilBits);
    glGetQueryiv(GL_TIME_ELAPSED, GL_QUERY_COUNTER_BITS, &timerBits);

    const char* threads = std::getenv("LP_NUM_THREADS");
    fprintf(report, "okv_benchmark: %s, %s; window samples %d, stencil bits %d; LP_NUM_THREADS %s; %u CPUs\n",
            reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
            reinterpret_cast<const char*>(glGetString(GL_VERSION)), samples, stencilBits, threads ? threads : "unset",
            std::thread::hardware_concurrency());

    fprintf(report, "\nStart-up (ms)\n");
    fprintf(report, "  %-52s %8.1f\n", "process start to main", processToMain * 1000.0);
    fprintf(report, "  %-52s %8.1f\n", "initWindow", millisecondsBetween(mainStart, start.windowCreated));
    fprintf(report, "  %-52s %8.1f\n", "initShaders", millisecondsBetween(start.windowCreated, start.shadersBuilt));
    fprintf(report, "  %-52s %8.1f\n", "loadScene (models, textures, sky box)",
            millisecondsBetween(start.shadersBuilt, start.sceneLoaded));
    char label[96];
    std::snprintf(label, sizeof label, "first frame (at %dx%d, shader JIT included)", firstFrameWidth,
                  firstFrameHeight);
    fprintf(report, "  %-52s %8.1f\n", label, millisecondsBetween(start.sceneLoaded, firstFrameDone));
    fprintf(report, "  %-52s %8.1f\n", "second frame, for comparison", secondFrame);
    fprintf(report, "  %-52s %8.1f\n", "process start to first frame on screen", startupToFirstFrame * 1000.0);

    fprintf(report, "\nFrame time, %d frames over the camera loop, each closed by glFinish\n", frames);
    measureFrames(1280, 1024, frames);
    const double peakAtTargetSize = peakResidentMegabytes();
    measureFloor(frames);
    measureFrames(1920, 1080, frames);

    resizeWindow(1280, 1024);
    const int stepFrames = std::max(5, frames / 3);
    if (timerBits > 0)
        measureSteps(Measure::TimerQueries, stepFrames,
                     "GL timer queries (GL_TIME_ELAPSED) per pass and step at 1280x1024; on llvmpipe they time the "
                     "rasteriser threads, not the vertex and geometry stages, and follow its tile order, so they "
                     "agree with the serialised figures below in their sum, not step by step");
    else
        fprintf(report, "\nGL_TIME_ELAPSED has no counter bits here: no timer query figures\n");
    measureSteps(Measure::MainThread, stepFrames,
                 "Main-thread time per pass and step at 1280x1024 (issuing the calls; on llvmpipe this includes "
                 "vertex and geometry shading and binning, rasterisation runs later in its threads; a step that "
                 "samples a texture still being rendered, the water in the screen pass's lit step, waits there)");
    measureSteps(Measure::FinishEachStep, stepFrames,
                 "Wall time per pass and step at 1280x1024 with glFinish closing every step (serialised, so each "
                 "step carries all its own work; the sum exceeds an unserialised frame)");

    countCallsPerFrame();

    fprintf(report,
            "\nPeak resident memory (ru_maxrss): %.1f MB up to the 1280x1024 frames (after full screen at %dx%d), "
            "%.1f MB after all frames\n",
            peakAtTargetSize, fullScreenWidth, fullScreenHeight, peakResidentMegabytes());

    timeLoaderItems();

    std::fflush(stdout);
    std::ifstream programOutput(logName);
    const std::string output((std::istreambuf_iterator<char>(programOutput)), std::istreambuf_iterator<char>());
    const size_t at = output.find("After loadScene GLErrorCode:");
    fprintf(report, "\nProgram output: %zu bytes; %s\n", output.size(),
            at == std::string::npos ? "no \"After loadScene GLErrorCode:\" line"
                                    : output.substr(at, output.find('\n', at) - at).c_str());
    return 0;
}
