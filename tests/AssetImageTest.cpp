// The generated images read back through DevIL the way the program reads them (no origin
// conversion), and the generator's determinism.

#include "Picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

const std::string dataDirectory = OKV_ASSETS_DATA_DIR;

const char* const faceFiles[6] = {"PX.png", "NX.png", "PY.png", "NY.png", "PZ.png", "NZ.png"};

std::vector<Picture> loadSky() {
    std::vector<Picture> faces;
    for (const char* file : faceFiles)
        faces.push_back(loadPicture(dataDirectory + "/images/Skybox/" + file));
    return faces;
}

// The texel GL samples for a direction: the face of the major axis and (s, t) from the
// cube-map face table that OpenGL defines.
const unsigned char* cubeTexel(const std::vector<Picture>& faces, double x, double y, double z) {
    const double ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
    int face;
    double sc, tc, ma;
    if (ax >= ay && ax >= az)
        face = x > 0 ? 0 : 1, sc = x > 0 ? -z : z, tc = -y, ma = ax;
    else if (ay >= az)
        face = y > 0 ? 2 : 3, sc = x, tc = y > 0 ? z : -z, ma = ay;
    else
        face = z > 0 ? 4 : 5, sc = z > 0 ? x : -x, tc = -y, ma = az;
    const Picture& p = faces[face];
    return p.at(std::clamp(int((sc / ma + 1) / 2 * p.width), 0, p.width - 1),
                std::clamp(int((tc / ma + 1) / 2 * p.height), 0, p.height - 1));
}

// The mean and largest channel difference between the texels on either side of the cube's
// twelve edges (half a texel in from the edge on each face): a seam shows as a large mean.
std::pair<double, int> edgeDifference(const std::vector<Picture>& faces) {
    const int n = faces[0].width;
    const double inward = 1.0 - 1.0 / n;
    double sum = 0;
    int largest = 0;
    long samples = 0;
    for (int a = 0; a < 3; ++a) {
        for (int b = a + 1; b < 3; ++b) {
            for (int signs = 0; signs < 4; ++signs) {
                const double sa = (signs & 1) ? 1 : -1, sb = (signs & 2) ? 1 : -1;
                for (int k = 0; k < n; ++k) {
                    double first[3], second[3];
                    first[a] = sa;
                    first[b] = sb * inward;
                    second[a] = sa * inward;
                    second[b] = sb;
                    first[3 - a - b] = second[3 - a - b] = (k + 0.5) / n * 2 - 1;
                    const unsigned char* p = cubeTexel(faces, first[0], first[1], first[2]);
                    const unsigned char* q = cubeTexel(faces, second[0], second[1], second[2]);
                    for (int channel = 0; channel < 3; ++channel, ++samples) {
                        const int d = std::abs(int(p[channel]) - int(q[channel]));
                        sum += d;
                        largest = std::max(largest, d);
                    }
                }
            }
        }
    }
    return {sum / samples, largest};
}

TEST(AssetSkyTest, SquareFacesOfOneSizeWithoutASeamAcrossAnyCubeEdge) {
    std::vector<Picture> faces = loadSky();
    for (int f = 0; f < 6; ++f) {
        EXPECT_GT(faces[f].width, 0) << faceFiles[f];
        EXPECT_EQ(faces[f].width, faces[f].height) << faceFiles[f];
        ASSERT_EQ(faces[f].width, faces[0].width) << faceFiles[f];
    }
    const auto [mean, largest] = edgeDifference(faces);
    EXPECT_LT(mean, 2.0);
    EXPECT_LE(largest, 24);
}

TEST(AssetSkyTest, BlueOverheadLighterAtTheHorizon) {
    std::vector<Picture> faces = loadSky();
    const unsigned char* zenith = cubeTexel(faces, 0.001, 1, 0.002);
    const unsigned char* horizon = cubeTexel(faces, 1, 0.01, 0.3);
    EXPECT_GT(zenith[2], zenith[0] + 60) << "straight up the sky is deep blue";
    EXPECT_GT(horizon[0] + horizon[1] + horizon[2], zenith[0] + zenith[1] + zenith[2]);
}

TEST(AssetTextureTest, TilesAndNormalMapsPointOutward) {
    std::vector<std::pair<std::string, bool>> textures{{"images/waven.jpg", true}};
    for (const char* model : {"Tempel", "Becken", "Ground", "WaterPlane", "sphere"})
        for (bool normalMap : {false, true})
            textures.emplace_back("models/" + std::string(model) + (normalMap ? "_normal.png" : "_diffuse.png"),
                                  normalMap);
    for (const auto& [path, normalMap] : textures) {
        SCOPED_TRACE(path);
        const Picture p = loadPicture(dataDirectory + "/" + path);
        EXPECT_GT(p.width, 0);
        if (p.width == 0)
            continue;
        EXPECT_EQ(p.width, p.height);
        EXPECT_EQ(p.width & (p.width - 1), 0) << "a power of two, for mipmaps";

        // Tileable: the step from the last column (row) to the first is no larger than a typical
        // step between neighbouring columns (rows) inside the picture.
        double inner = 0, wrapColumns = 0, wrapRows = 0;
        for (int i = 0; i < p.height; ++i) {
            for (int c = 0; c < 3; ++c) {
                inner += std::abs(p.at(p.width / 3, i)[c] - p.at(p.width / 3 + 1, i)[c]) +
                         std::abs(p.at(i, p.height / 3)[c] - p.at(i, p.height / 3 + 1)[c]);
                wrapColumns += std::abs(p.at(p.width - 1, i)[c] - p.at(0, i)[c]);
                wrapRows += std::abs(p.at(i, p.height - 1)[c] - p.at(i, 0)[c]);
            }
        }
        inner /= 2;
        EXPECT_LE(wrapColumns, 2.0 * inner + 3.0 * p.height);
        EXPECT_LE(wrapRows, 2.0 * inner + 3.0 * p.height);

        if (normalMap) {
            // Tangent space: z (blue) dominant and x, y centred on 0.5.
            double sum[3] = {0, 0, 0};
            for (size_t i = 0; i < p.rgb.size(); ++i)
                sum[i % 3] += p.rgb[i];
            double pixels = double(p.width) * p.height;
            EXPECT_NEAR(sum[0] / pixels, 128.0, 12.0);
            EXPECT_NEAR(sum[1] / pixels, 128.0, 12.0);
            EXPECT_GT(sum[2] / pixels, 200.0);
        }
    }
}

std::map<std::string, std::string> generatedFiles() {
    char pattern[] = "/tmp/okv-assets-XXXXXX";
    const std::filesystem::path root = mkdtemp(pattern);
    EXPECT_EQ(std::system(("'" + std::string(OKV_ASSETS_BINARY) + "' '" + root.string() + "' > /dev/null").c_str()), 0);
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::ifstream in(entry.path(), std::ios::binary);
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), root).string()] =
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove_all(root);
    return files;
}

TEST(AssetGeneratorTest, TwoRunsWriteIdenticalFilesAndAMissingArgumentIsRefused) {
    const std::map<std::string, std::string> first = generatedFiles();
    EXPECT_EQ(first.size(), 22u) << "five models with two textures each, six sky faces and the wave map";
    const std::map<std::string, std::string> second = generatedFiles();
    EXPECT_EQ(second.size(), first.size());
    for (const auto& [name, bytes] : first) {
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(second.count(name) && second.at(name) == bytes) << name << " differs between runs";
    }
    EXPECT_NE(std::system(("'" + std::string(OKV_ASSETS_BINARY) + "' 2> /dev/null").c_str()), 0);
}

}  // namespace
