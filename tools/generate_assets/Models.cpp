#include "Models.h"

#include <cmath>

namespace assets {

namespace {

// The camera leaves the temple twice, at heights 20 to 31, through the ring of columns; with
// fourteen columns starting at this angle (degrees from +x towards +z) both crossings pass at
// least 5 units from a column's axis.
const float templeColumnRadius = 41.0f;
const int templeColumnCount = 14;
const float templeFirstColumnDegrees = 25.2f;

const float pi = 3.14159265358979f;
const float marbleWorldPerRepeat = 8.0f;
// Every crease sharper than this stays a hard edge: the steps and mouldings are crisp while
// the twelve-sided shafts (30 degrees per side) still shade round.
const float creaseDegrees = 50.0f;

float repeatsAround(float radius)
{
    return std::fmax(1.0f, std::round(2.0f * pi * radius / marbleWorldPerRepeat));
}

// A closed marble ring of 48 segments about the temple's axis, its texture repeated by the
// circumference at radius.
MeshData marbleRing(const std::vector<ProfilePoint>& profile, float radius)
{
    LatheOptions options;
    options.segments = 48;
    options.closedLoop = true;
    options.worldPerRepeat = marbleWorldPerRepeat;
    options.uRepeats = repeatsAround(radius);
    return lathe(profile, options);
}

MeshData platform()
{
    // The opening (half size 14.6) is a little smaller than the pool (15), so the floor runs
    // into the pool's walls and no gap opens between them.
    const float opening = 14.6f;
    std::vector<ProfilePoint> profile = {
        {opening, 0.0f, true, false}, {50.0f, 0.0f, false, true},  {50.0f, 2.0f, false, false},
        {48.5f, 2.0f, false, true},   {48.5f, 4.0f, false, false}, {47.0f, 4.0f, false, true},
        {47.0f, 6.0f, false, false},  {45.5f, 6.0f, false, true},  {45.5f, 8.0f, false, false},
        {opening, 8.0f, true, false},
    };
    return marbleRing(profile, 48.0f);
}

MeshData column(float angle)
{
    const float cx = templeColumnRadius * std::cos(angle), cz = templeColumnRadius * std::sin(angle);
    MeshData solid = box({cx, 8.4f, cz}, {2.9f, 0.7f, 2.9f}, angle, marbleWorldPerRepeat);
    // The shaft's end discs lie inside the plinth and the abacus: the solids overlap instead
    // of touching, so welding never joins them.
    std::vector<ProfilePoint> profile = {
        {0.0f, 8.9f},  {2.75f, 8.9f},  {2.75f, 9.6f},  {2.35f, 10.4f}, {2.0f, 54.6f},
        {2.2f, 55.0f}, {2.05f, 55.4f}, {2.75f, 56.7f}, {0.0f, 56.7f},
    };
    LatheOptions options;
    options.segments = 12;
    options.centreX = cx;
    options.centreZ = cz;
    options.worldPerRepeat = marbleWorldPerRepeat;
    options.uRepeats = 2.0f;
    options.angleOffset = angle;
    solid.append(lathe(profile, options));
    solid.append(box({cx, 57.2f, cz}, {3.0f, 0.7f, 3.0f}, angle, marbleWorldPerRepeat));
    return solid;
}

MeshData entablature()
{
    std::vector<ProfilePoint> profile = {
        {37.3f, 57.8f, false, false}, {44.0f, 57.8f, false, true},  {44.0f, 60.4f, false, false},
        {44.4f, 60.4f, false, true},  {44.4f, 63.0f, false, false}, {44.1f, 63.0f, false, true},
        {44.1f, 67.0f, false, true},  {45.4f, 67.8f, false, true},  {46.8f, 68.4f, false, true},
        {46.8f, 69.6f, false, false}, {37.3f, 69.6f, false, true},
    };
    return marbleRing(profile, 44.0f);
}

MeshData roof()
{
    // Two stepped rings at the foot of a shallow dome (an ellipse quadrant 41 wide and 22 high),
    // and a finial whose tip is the temple's highest point, y = 100, so that the bounds are a cube.
    std::vector<ProfilePoint> profile = {
        {0.0f, 69.4f, false, false}, {45.6f, 69.4f, false, true},  {45.6f, 71.2f, false, false},
        {43.4f, 71.2f, false, true}, {43.4f, 72.8f, false, false},
    };
    static const float domeDegrees[] = {0.0f, 20.0f, 40.0f, 58.0f, 74.0f, 86.0f};
    for (float degrees : domeDegrees) {
        float a = degrees * pi / 180.0f;
        profile.push_back({41.0f * std::cos(a), 72.8f + 22.0f * std::sin(a)});
    }
    profile.push_back({1.3f, 96.0f});
    profile.push_back({2.6f, 97.6f});
    profile.push_back({1.4f, 99.1f});
    profile.push_back({0.0f, 100.0f});
    // Larger texels than elsewhere: the dome is seen whole from above, where many small
    // repeats around it would line up into a visible pattern.
    LatheOptions options;
    options.segments = 48;
    options.worldPerRepeat = 3.0f * marbleWorldPerRepeat;
    options.uRepeats = std::round(2.0f * pi * 36.0f / options.worldPerRepeat);
    return lathe(profile, options);
}

}  // namespace

MeshData templeMesh()
{
    MeshData temple = platform();
    for (int k = 0; k < templeColumnCount; ++k) {
        float degrees = templeFirstColumnDegrees + 360.0f * k / templeColumnCount;
        temple.append(column(degrees * pi / 180.0f));
    }
    temple.append(entablature());
    temple.append(roof());
    temple.smoothNormals(creaseDegrees);
    return temple;
}

MeshData basinMesh()
{
    // The outer walls are the pool's bounds, so the 30 x 30 water plane's edge ends inside them
    // at the water level, 2 below the rim, and the walls hide it from outside.
    std::vector<ProfilePoint> profile = {
        {0.0f, 4.0f, false, false},  {15.0f, 4.0f, true, false}, {15.0f, 16.0f, true, false},
        {13.5f, 16.0f, true, false}, {13.5f, 6.5f, true, false}, {0.0f, 6.5f, false, false},
    };
    LatheOptions options;
    options.segments = 8;
    options.worldPerRepeat = 6.0f;
    MeshData basin = lathe(profile, options);
    basin.smoothNormals(creaseDegrees);
    return basin;
}

MeshData groundMesh(int cells, float repeats)
{
    MeshData ground;
    for (int j = 0; j <= cells; ++j)
        for (int i = 0; i <= cells; ++i)
            ground.addPosition({static_cast<float>(i) / cells - 0.5f, 0.0f, static_cast<float>(j) / cells - 0.5f});
    auto at = [&](int i, int j) { return static_cast<uint32_t>(j * (cells + 1) + i); };
    for (int j = 0; j < cells; ++j) {
        for (int i = 0; i < cells; ++i) {
            // Counter-clockwise seen from above.
            ground.addTriangle(at(i, j), at(i, j + 1), at(i + 1, j + 1));
            ground.addTriangle(at(i, j), at(i + 1, j + 1), at(i + 1, j));
        }
    }
    for (Triangle& t : ground.triangles) {
        for (Corner& c : t.corners) {
            Vec3 p = ground.positions[c.position];
            c.normal = {0.0f, 1.0f, 0.0f};
            c.u = (p.x + 0.5f) * repeats;
            c.v = (p.z + 0.5f) * repeats;
        }
    }
    return ground;
}

MeshData sphereMesh(int slices, int stacks)
{
    std::vector<ProfilePoint> profile;
    for (int i = 0; i <= stacks; ++i) {
        float a = pi * i / stacks;
        profile.push_back({i == 0 || i == stacks ? 0.0f : std::sin(a), -std::cos(a)});
    }
    LatheOptions options;
    options.segments = slices;
    options.worldPerRepeat = pi;  // v runs 0 to 1 from pole to pole
    MeshData sphere = lathe(profile, options);
    // Built about +Y, then turned so that +Y becomes +Z: (x, y, z) -> (x, -z, y) is a rotation,
    // so the winding stays outward.
    for (Vec3& p : sphere.positions)
        p = {p.x, -p.z, p.y};
    for (Triangle& t : sphere.triangles)
        for (Corner& c : t.corners)
            c.normal = normalize(sphere.positions[c.position]);
    return sphere;
}

}  // namespace assets
