// The real program on a copy of its data directory with one thing broken: it must print the
// designed report, go on rendering the rest of the scene, answer the keyboard, write no file
// but the import log, and end with status 0 on Escape. Under the sanitizer build any report
// ends the program with another status, which fails the case.

#include "DataLoaderCollada.h"
#include "GLTestSupport.h"
#include "ImageFaults.h"
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

const char* const importLog = "assimp_log.txt";
const char* const lostMesh = "VertexArrayObject::bind(): VertexArrayObject not created";

struct BadDataCase {
    std::string name;
    std::function<void(const fs::path& data)> breakData;
    std::vector<std::string> outputInOrder;  // standard output holds these, in this order
    std::vector<std::string> absentOutput;   // and none of these
    std::vector<std::string> errors;         // standard error holds these, in order; empty: nothing at all
    int modelsImported = 5;                  // one "Free Edges:" line per imported model
    bool importErrorLogged = false;          // the importer's error text reached the log
    bool meshLeftEmpty = false;              // a model's mesh was never uploaded
    std::string logged = {};                 // the import log holds this line; empty: any
};

// Size and modification time of every file below the directory, by relative path.
std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> listFiles(const fs::path& directory)
{
    std::map<std::string, std::pair<uintmax_t, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(directory))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), directory).string()] = {entry.file_size(), entry.last_write_time()};
        else
            files[fs::relative(entry.path(), directory).string() + "/"] = {};
    return files;
}

void copyDataDirectory(const fs::path& to)
{
    fs::copy(OKV_DATA_DIR, to, fs::copy_options::recursive);
    // A log left by an earlier run there would hide whether this run writes one.
    fs::remove(to / importLog);
}

// Bytes that no image or XML reader accepts, the same in every run.
std::string garbage(size_t size)
{
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = char(state >> 23);
    }
    return bytes;
}

void writeBytes(const fs::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void keepFirstPart(const fs::path& file, double fraction)
{
    const std::string bytes = readFile(file.string());
    writeBytes(file, bytes.substr(0, size_t(double(bytes.size()) * fraction)));
}

void corruptAfter(const fs::path& file, size_t keep)
{
    const std::string bytes = readFile(file.string());
    writeBytes(file, bytes.substr(0, keep) + garbage(4096));
}

void convertImage(const fs::path& file, const std::string& resize)
{
    const std::string command = "convert '" + file.string() + "' -resize '" + resize + "' '" + file.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

size_t countOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// Every error Assimp itself logged also came back through the loader's own info line, which
// is where the loader sends the importer's error text.
bool importErrorReachedLog(const std::string& log)
{
    std::istringstream lines(log);
    std::string line;
    bool any = false;
    while (std::getline(lines, line)) {
        if (line.rfind("Error,", 0) != 0)
            continue;
        const std::string text = line.substr(line.find(": ") + 2);
        if (log.find("Info,  T0: " + text) == std::string::npos)
            return false;
        any = true;
    }
    return any;
}

void runWithBrokenData(const BadDataCase& badCase)
{
    SCOPED_TRACE(badCase.name);
    const TemporaryDirectory directory("okv-test");
    const fs::path data = directory.path() / "data";
    copyDataDirectory(data);
    badCase.breakData(data);
    const auto filesBefore = listFiles(data);

    ProgramRun program(data.string());
    ASSERT_TRUE(program.waitForOutput("After loadScene GLErrorCode:", 60))
        << program.standardOutput() << program.standardError();
    ASSERT_TRUE(program.waitForWindow(30));
    // A frame or two on the broken data before anything is asked of it.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(program.running()) << program.standardError();
    const size_t printed = program.standardOutput().size();
    program.pressKey("a");
    EXPECT_TRUE(program.waitForOutputAfter(printed, "97", 30)) << "no answer to a key";
    if (badCase.meshLeftEmpty) {
        EXPECT_TRUE(program.waitForOutputAfter(printed, lostMesh, 30)) << "no frame drew after the key";
    }
    program.pressKey("Escape");
    EXPECT_EQ(program.waitForExit(30), 0) << program.standardError();

    const std::string output = program.standardOutput();
    expectInOrder(output, badCase.outputInOrder);
    for (const std::string& line : badCase.absentOutput)
        EXPECT_EQ(output.find(line), std::string::npos) << "unexpected \"" << line << "\" in\n" << output;
    EXPECT_EQ(countOf(output, "Free Edges:"), size_t(badCase.modelsImported)) << output;

    const std::string error = program.standardError();
    if (badCase.errors.empty()) {
        EXPECT_EQ(error, "");
    }
    expectInOrder(error, badCase.errors);

    const std::string log = readFile((data / importLog).string());
    if (badCase.importErrorLogged) {
        EXPECT_TRUE(importErrorReachedLog(log)) << log;
    }
    if (!badCase.logged.empty()) {
        EXPECT_NE(log.find("Info,  T0: " + badCase.logged + "\n"), std::string::npos) << log;
    }

    auto filesAfter = listFiles(data);
    EXPECT_EQ(filesAfter.count(importLog), 1u) << "no import log written";
    filesAfter.erase(importLog);
    EXPECT_EQ(filesAfter, filesBefore) << "a file other than the import log was written or changed";
}

const char* const models[] = {"sphere.dae", "Tempel.dae", "Becken.dae", "Ground.dae", "WaterPlane.dae"};

}  // namespace

TEST(BadDataProgramTest, EachShaderFileMissingIsNamedOnStandardErrorAndOneWithASyntaxErrorGetsItsInfoLog)
{
    std::vector<BadDataCase> cases;
    for (const char* shader :
         {"DefaultShader.vert.glsl", "DefaultShader.frag.glsl", "WaterShader.vert.glsl", "WaterShader.frag.glsl",
          "SkyShader.vert.glsl", "SkyShader.frag.glsl", "LightShader.vert.glsl", "LightShader.frag.glsl",
          "ShadowVolume.vert.glsl", "ShadowVolume.geom.glsl", "Mini.vert.glsl", "Mini.frag.glsl"})
        cases.push_back({std::string("missing ") + shader,
                         [shader](const fs::path& data) { fs::remove(data / shader); },
                         {"after Shader ", "After loadScene GLErrorCode:"},
                         {},
                         {std::string("Couldn't open shader file: ") + shader + "\n"}});
    cases.push_back({"syntax error in DefaultShader.frag.glsl",
                     [](const fs::path& data) {
                         std::ofstream(data / "DefaultShader.frag.glsl", std::ios::app) << "\nvoid broken( {\n";
                     },
                     {"after Shader ", "After loadScene GLErrorCode:"},
                     {},
                     {"DefaultShader.frag.glsl:\n", "syntax error",
                      "program of DefaultShader.vert.glsl and DefaultShader.frag.glsl:\n"}});
    for (const BadDataCase& badCase : cases)
        runWithBrokenData(badCase);
}

TEST(BadDataProgramTest, AMissingModelIsReportedByPathAndItsEmptyMeshReportedWhereverItIsDrawn)
{
    for (const char* model : models)
        runWithBrokenData(
            {std::string("missing ") + model,
             [model](const fs::path& data) { fs::remove(data / "models" / model); },
             {std::string("Couldn't open file: ./models/") + model, "After loadScene GLErrorCode:0\n", lostMesh},
             {},
             {},
             4,
             false,
             true});
}

// A file that opens but does not import goes to the log only; the console stays quiet about it.
TEST(BadDataProgramTest, AnEmptyTruncatedOrGarbageModelLeavesTheImportersErrorInTheLogOnly)
{
    const std::pair<const char*, std::function<void(const fs::path&)>> breaks[] = {
        {"empty", [](const fs::path& file) { writeBytes(file, ""); }},
        {"truncated", [](const fs::path& file) { keepFirstPart(file, 0.5); }},
        {"garbage", [](const fs::path& file) { writeBytes(file, garbage(5000)); }},
    };
    for (const auto& [kind, breakFile] : breaks)
        for (const char* model : models)
            runWithBrokenData(
                {std::string(kind) + " " + model,
                 [model, breakFile = breakFile](const fs::path& data) { breakFile(data / "models" / model); },
                 {"After loadScene GLErrorCode:0\n", lostMesh},
                 {"Couldn't open file"},
                 {},
                 4,
                 true,
                 true});
}

TEST(BadDataProgramTest, ModelsWithoutTextureCoordinatesWithNonManifoldEdgesOrWithDegenerateTrianglesLoadAndDraw)
{
    // A closed cube of 8 shared corners; no texture coordinates, so every tangent frame
    // divides by zero.
    const std::vector<float> cube = {-1, -1, -1, 1, -1, -1, -1, 1, -1, 1, 1, -1,
                                     -1, -1, 1,  1, -1, 1,  -1, 1, 1,  1, 1, 1};
    const std::vector<int> cubeTriangles = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                                            2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
    // A closed tetrahedron with a fin on its edge 0-1: that edge has three triangles.
    const std::vector<float> tetrahedron = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0.5f, -1, -1};
    const std::vector<int> tetrahedronTriangles = {0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3};
    std::vector<int> withFin = tetrahedronTriangles;
    withFin.insert(withFin.end(), {0, 1, 4});
    // The tetrahedron, with triangles that repeat a corner, repeat a position under another
    // vertex number, or lie on a line.
    std::vector<float> withTwins = tetrahedron;
    withTwins.insert(withTwins.end(), {1, 0, 0, 0.5f, 0, 0});
    std::vector<int> withDegenerates = tetrahedronTriangles;
    withDegenerates.insert(withDegenerates.end(), {0, 0, 2, 1, 5, 3, 0, 6, 1});

    const auto replaceWith = [](const char* model, collada::Document document) {
        return
            [model, document](const fs::path& data) { writeBytes(data / "models" / model, collada::write(document)); };
    };
    const BadDataCase cases[] = {
        // Closed: 12 triangles with 6 indices each and no free edge.
        {"Tempel.dae without texture coordinates",
         replaceWith("Tempel.dae", collada::singleGeometry(cube, cubeTriangles)),
         {"index count 72\nFree Edges:0\n", "After loadScene GLErrorCode:0\n"},
         {},
         {}},
        // The third triangle on the shared edge gets no neighbour there, besides the fin's
        // two open edges.
        {"Becken.dae with a non-manifold edge",
         replaceWith("Becken.dae", collada::singleGeometry(tetrahedron, withFin)),
         {"index count 30\nFree Edges:3\n", "After loadScene GLErrorCode:0\n"},
         {},
         {}},
        // The triangles with a repeated corner or position reach the loader as lines (the
        // importer's degenerate check) or weld to two corners, and are left out; the one on a
        // line has three distinct corners, so it is drawn, and it is the third triangle on
        // the tetrahedron's edge 0-1 with two edges of its own: three free edges.
        {"Ground.dae with degenerate triangles",
         replaceWith("Ground.dae", collada::singleGeometry(withTwins, withDegenerates)),
         {"Load Texture:\"./models/Becken_normal.png\"", "index count 30\nFree Edges:3\n",
          "After loadScene GLErrorCode:0\n"},
         {},
         {}},
    };
    for (const BadDataCase& badCase : cases)
        runWithBrokenData(badCase);
}

TEST(BadDataProgramTest, ModelsFromOtherExportersInPlaceOfTheTempleAndTheBasinLoadAndDraw)
{
    // Copies Assimp's test files over the temple and the basin, with the files they name.
    const auto replaceWith = [](const char* temple, const char* basin, std::vector<const char*> alongside = {}) {
        return [=](const fs::path& data) {
            const fs::path testModels = OKV_TEST_MODELS_DIR;
            fs::copy_file(testModels / temple, data / "models/Tempel.dae", fs::copy_options::overwrite_existing);
            fs::copy_file(testModels / basin, data / "models/Becken.dae", fs::copy_options::overwrite_existing);
            for (const char* file : alongside)
                fs::copy_file(testModels / file, data / "models" / file);
        };
    };
    const BadDataCase cases[] = {
        // A textured, closed model; and one mesh that several nodes show, whose copies lie on
        // one another, so that each edge has more than two triangles and counts as free.
        {"the duck and instanced teapots",
         replaceWith("duck.dae", "teapot_instancenodes.DAE", {"duckCM.tga"}),
         {"Load Texture:\"./models/./duckCM.tga\"", "index count 25272\nFree Edges:0\n",
          "index count 11904\nFree Edges:2912\n", "After loadScene GLErrorCode:0\n"},
         {"Couldn't load image"},
         {}},
        // An open polygon of many corners, triangulated by the importer; vertex colours and
        // three materials.
        {"a concave polygon and a cube of vertex colours",
         replaceWith("ConcavePolygon.dae", "kwxport_test_vcolors.dae"),
         {"index count 384\nFree Edges:64\n", "index count 72\nFree Edges:0\n", "After loadScene GLErrorCode:0\n"},
         {},
         {}},
    };
    for (const BadDataCase& badCase : cases)
        runWithBrokenData(badCase);
}

// A file that would kill the importer leaves an empty model, whether a look at its text keeps
// it from the importer or it ends the child process that imports it first; the program draws
// the rest of the scene and answers as ever.
TEST(BadDataProgramTest, AModelThatWouldKillTheImporterIsNotImportedAndTheRestIsDrawn)
{
    const auto replaceWithFault = [](const char* model, const char* fault) {
        return [=](const fs::path& data) {
            fs::copy_file(fs::path(OKV_IMPORTER_FAULTS_DIR) / fault, data / "models" / model,
                          fs::copy_options::overwrite_existing);
        };
    };
    const BadDataCase cases[] = {
        // A skin's weight array whose count (6) is smaller than its values (8): the importer
        // reads eight weights from it (CVE-2022-45748). Here it then aborts on its own check;
        // where it reads on, nothing crashes, and only the text shows the fault.
        {"skin weights past their array",
         [](const fs::path& data) {
             std::string model = readFile(std::string(OKV_TEST_MODELS_DIR) + "/box_nested_animation.dae");
             const std::string weights = "skin-weights-array\" count=\"8\"";
             model.replace(model.find(weights), weights.size(), "skin-weights-array\" count=\"6\"");
             writeBytes(data / "models/Becken.dae", model);
         },
         {"After loadScene GLErrorCode:0\n", lostMesh},
         {"Couldn't open file"},
         {},
         4,
         false,
         true,
         "Not imported, ./models/Becken.dae: an accessor reaches past the end of its data array, and the "
         "importer reads there unchecked"},
        {"a crash of the importer in the temple's place",
         replaceWithFault("Tempel.dae", "skin-joints-beyond-its-list.dae"),
         {"After loadScene GLErrorCode:0\n", lostMesh},
         {"Couldn't open file"},
         {},
         4,
         false,
         true,
         "Not imported, ./models/Tempel.dae: the importer died of signal 11"},
    };
    for (const BadDataCase& badCase : cases)
        runWithBrokenData(badCase);
}

TEST(BadDataProgramTest, BrokenImagesAreReportedAndTheirTexturesLeftOut)
{
    const BadDataCase cases[] = {
        {"missing texture",
         [](const fs::path& data) { fs::remove(data / "models/Tempel_diffuse.png"); },
         {"Load Texture:\"./models/Tempel_diffuse.png\"\nCouldn't load image: ./models/Tempel_diffuse.png\n",
          "After loadScene GLErrorCode:0\n"},
         {},
         {}},
        {"corrupt PNG",
         [](const fs::path& data) { corruptAfter(data / "models/Tempel_normal.png", 100); },
         {"Load Texture:\"./models/Tempel_normal.png\"\nCouldn't load image: ./models/Tempel_normal.png\n",
          "After loadScene GLErrorCode:0\n"},
         {},
         {}},
        {"corrupt JPEG",
         [](const fs::path& data) { corruptAfter(data / "images/waven.jpg", 600); },
         {"Load Texture:\"./images/waven.jpg\"\nCouldn't load image: ./images/waven.jpg\n",
          "After loadScene GLErrorCode:0\n"},
         {},
         {}},
        // The faces after the bad one are not even tried.
        {"cube faces of unequal width",
         [](const fs::path& data) { convertImage(data / "images/Skybox/NX.png", "256x256"); },
         {"Load Texture:\"./images/Skybox/PX.png\"\nLoad Texture:\"./images/Skybox/NX.png\"\n"
          "Widths of images arn't equal\n",
          "After loadScene GLErrorCode:0\n"},
         {"Skybox/PY.png"},
         {}},
        {"cube faces of unequal height",
         [](const fs::path& data) { convertImage(data / "images/Skybox/PY.png", "512x256!"); },
         {"Load Texture:\"./images/Skybox/NX.png\"\nLoad Texture:\"./images/Skybox/PY.png\"\n"
          "Heights of images arn't equal\n",
          "After loadScene GLErrorCode:0\n"},
         {"Skybox/NY.png"},
         {}},
        {"non-square first cube face",
         [](const fs::path& data) { convertImage(data / "images/Skybox/PX.png", "512x256!"); },
         {"Load Texture:\"./images/Skybox/PX.png\"\nimages arn't square\n", "After loadScene GLErrorCode:0\n"},
         {"Skybox/NX.png"},
         {}},
        {"empty images directory",
         [](const fs::path& data) {
             fs::remove_all(data / "images");
             fs::create_directory(data / "images");
         },
         {"Load Texture:\"./images/Skybox/PX.png\"\nCouldn't load image: ./images/Skybox/PX.png\n",
          "Load Texture:\"./images/waven.jpg\"\nCouldn't load image: ./images/waven.jpg\n",
          "After loadScene GLErrorCode:0\n"},
         {"Skybox/NX.png"},
         {}},
    };
    for (const BadDataCase& badCase : cases)
        runWithBrokenData(badCase);
}

// A texture that ends the image library is left out like one that does not load, with the
// library's fault in one more line on the console and in the log; the program draws the rest
// and answers as ever. Each file takes the temple's diffuse texture's place, under its own
// extension, which the model's material then names.
TEST(BadDataProgramTest, ATextureThatEndsTheImageLibraryIsLeftOutWithItsReasonAndTheRestIsDrawn)
{
    struct Case {
        std::string damage, extension, fault;
        std::function<void(const fs::path& file)> write;
    };
    std::vector<Case> cases;
    for (const ImageFault& fault : imageFaults)
        cases.push_back({fault.damage, fault.extension, fault.fault,
                         [fault](const fs::path& file) { writeImageFault(fault, file.string()); }});
    // A named pipe that no one writes to: the library waits for the file's bytes for ever.
    cases.push_back({"a named pipe", "png", "the image library ran past 10 s",
                     [](const fs::path& file) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }});
    for (const Case& test : cases) {
        const std::string texture = "./models/Tempel_diffuse." + test.extension;
        const std::string reason = "Not decoded, " + texture + ": " + test.fault;
        runWithBrokenData({test.damage,
                           [&](const fs::path& data) {
                               fs::remove(data / "models/Tempel_diffuse.png");
                               test.write(data / "models" / ("Tempel_diffuse." + test.extension));
                               std::string model = readFile((data / "models/Tempel.dae").string());
                               const std::string name = "Tempel_diffuse.png";
                               model.replace(model.find(name), name.size(), "Tempel_diffuse." + test.extension);
                               writeBytes(data / "models/Tempel.dae", model);
                           },
                           {"Load Texture:\"" + texture + "\"\nCouldn't load image: " + texture + "\n" + reason + "\n",
                            "After loadScene GLErrorCode:0\n"},
                           {},
                           {},
                           5,
                           false,
                           false,
                           reason});
    }
}
