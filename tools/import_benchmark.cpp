// Import cost of DataLoader::loadModel on generated grids of about 10k, 100k and 1M
// triangles, with adjacency on, as the scene loads its shadow casters. Prints, per grid, the
// time of the whole call (Assimp's import and post-processing included), of the importer's
// first look at the file in a child process alone (findImporterFault, which loadModel runs
// first), and of the loader's own steps alone (bounds, welding, edge table, index list,
// tangents), each per triangle and divided by log2 of the triangle count: the last column
// stays flat for an O(n log n) cost.
//
// Started in the data directory, it first times the scene's own models (./models/*.dae): the
// importer's first look at each in a child against the same import in the program; the first
// is what the child adds to the start-up.
//
// Needs an X display for the GL context that Mesh::upload fills:
//   cd build/data && ../tools/okv_import_benchmark [largest grid side, default 708]

#include "app/Renderer.h"
#include "common/ProcessFigures.h"
#include "common/TemporaryDirectory.h"
#include "loader/DataLoader.h"
#include "loader/ImporterFault.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace {

// A flat side x side grid of quads, two triangles each, with texture coordinates so that
// every tangent frame is computed for real.
void writeGrid(const std::string& path, int side)
{
    const int points = side + 1;
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
           "<asset><up_axis>Y_UP</up_axis></asset>\n<library_geometries><geometry id=\"grid\"><mesh>\n"
           "<source id=\"p\"><float_array id=\"pa\" count=\""
        << points * points * 3 << "\">";
    for (int y = 0; y < points; ++y)
        for (int x = 0; x < points; ++x)
            out << x << " 0 " << y << " ";
    out << "</float_array><technique_common><accessor source=\"#pa\" count=\"" << points * points
        << "\" stride=\"3\"><param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/>"
           "<param name=\"Z\" type=\"float\"/></accessor></technique_common></source>\n"
           "<source id=\"t\"><float_array id=\"ta\" count=\""
        << points * points * 2 << "\">";
    for (int y = 0; y < points; ++y)
        for (int x = 0; x < points; ++x)
            out << float(x) / float(side) << " " << float(y) / float(side) << " ";
    out << "</float_array><technique_common><accessor source=\"#ta\" count=\"" << points * points
        << "\" stride=\"2\"><param name=\"S\" type=\"float\"/><param name=\"T\" type=\"float\"/>"
           "</accessor></technique_common></source>\n"
           "<vertices id=\"v\"><input semantic=\"POSITION\" source=\"#p\"/></vertices>\n"
           "<triangles count=\""
        << 2 * side * side
        << "\"><input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/>"
           "<input semantic=\"TEXCOORD\" source=\"#t\" offset=\"0\" set=\"0\"/><p>";
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int a = y * points + x, b = a + 1, c = a + points, d = c + 1;
            out << a << " " << c << " " << b << " " << b << " " << c << " " << d << " ";
        }
    out << "</p></triangles>\n</mesh></geometry></library_geometries>\n"
           "<library_visual_scenes><visual_scene id=\"s\"><node id=\"n\"><instance_geometry url=\"#grid\"/>"
           "</node></visual_scene></library_visual_scenes>\n<scene><instance_visual_scene url=\"#s\"/></scene>\n"
           "</COLLADA>\n";
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The importer's first look at a file in a child process, as loadModel takes it, in seconds.
double firstLookSeconds(Assimp::Importer& importer, const std::string& path)
{
    const auto start = std::chrono::steady_clock::now();
    const std::string fault = findImporterFault(importer, path, DataLoader::importFlags);
    if (!fault.empty())
        std::fprintf(stderr, "%s: %s\n", path.c_str(), fault.c_str());
    return secondsSince(start);
}

// The scene's models in ./models/, each looked at in a child and imported in the program, in
// turn, so that other load on the machine weighs on both alike.
void timeTheScenesModels(FILE* report)
{
    std::set<std::filesystem::path> models;
    std::error_code absent;
    for (const auto& entry : std::filesystem::directory_iterator("models", absent))
        if (entry.path().extension() == ".dae")
            models.insert(entry.path());
    if (models.empty())
        return;
    std::fprintf(report, "The scene's models (ms): the importer's first look in a child, the same import in the "
                         "program\n");
    Assimp::Importer importer;
    double childSum = 0, programSum = 0;
    for (const std::filesystem::path& model : models) {
        const double child = firstLookSeconds(importer, model.string()) * 1e3;
        const auto start = std::chrono::steady_clock::now();
        importer.ReadFile(model.string(), DataLoader::importFlags);
        const double program = secondsSince(start) * 1e3;
        importer.FreeScene();
        std::fprintf(report, "  %-24s %8.1f %8.1f\n", model.filename().string().c_str(), child, program);
        childSum += child;
        programSum += program;
    }
    std::fprintf(report, "  %-24s %8.1f %8.1f\n\n", "sum", childSum, programSum);
}

}  // namespace

int main(int argc, char** argv)
{
    const int largestSide = argc > 1 ? std::atoi(argv[1]) : 708;
    // The program's console lines would drown the figures.
    FILE* report = keepConsole();
    if (!std::freopen(nullDevice, "w", stdout))
        return 1;
    int windowArgc = 1;
    Renderer::instance().initWindow(&windowArgc, argv);
    // First, while the process is as small as the program at its start: a fork copies the
    // page tables of all the process holds.
    timeTheScenesModels(report);

    const TemporaryDirectory scratch("okv-import-benchmark");
    const std::string directory = scratch.path().string() + "/";
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(directory);  // "assimp_log.txt" goes there

    struct Row {
        long triangles;
        double whole, firstLook, loaderSteps;
    };
    std::vector<Row> rows;
    {
        DataLoader loader;
        for (int side : {71, 224, largestSide}) {
            const std::string file = "grid" + std::to_string(side) + ".dae";
            writeGrid(directory + file, side);
            Mesh* mesh = new Mesh();  // GL objects are never freed in this program
            std::vector<Material*> materials;

            const double firstLook = firstLookSeconds(loader.importer, directory + file);
            auto start = std::chrono::steady_clock::now();
            loader.loadModel(directory, file, 2, true, mesh, &materials);
            const double whole = secondsSince(start);

            // The loader's own steps again, on the scene the importer still holds.
            const aiScene* scene = loader.importer.GetScene();
            start = std::chrono::steady_clock::now();
            loader.reset();
            loader.measureBounds(scene, scene->mRootNode);
            loader.fitBounds();
            loader.gatherGeometry(scene, scene->mRootNode);
            loader.indexCount = uint32_t(loader.triangles.size()) * 6;
            const std::vector<GLuint> indices = loader.writeIndexList(scene->mNumMaterials, &materials);
            const std::vector<Vertex> vertices = loader.writeVertexList(indices);
            const double loaderSteps = secondsSince(start);

            rows.push_back({long(loader.triangles.size()), whole, firstLook, loaderSteps});
            std::filesystem::remove(directory + file);
        }
    }
    std::filesystem::current_path(previous);

    std::fprintf(report, "%10s %10s %14s %16s %12s %14s %12s %14s %16s\n", "triangles", "loadModel", "ns/triangle",
                 "ns/(tri*log2 n)", "child's look", "ns/triangle", "own steps", "ns/triangle", "ns/(tri*log2 n)");
    for (const Row& row : rows) {
        const double n = double(row.triangles);
        std::fprintf(report, "%10ld %9.3fs %14.1f %16.2f %11.3fs %14.1f %11.3fs %14.1f %16.2f\n", row.triangles,
                     row.whole, row.whole / n * 1e9, row.whole / (n * std::log2(n)) * 1e9, row.firstLook,
                     row.firstLook / n * 1e9, row.loaderSteps, row.loaderSteps / n * 1e9,
                     row.loaderSteps / (n * std::log2(n)) * 1e9);
    }
    return 0;
}
