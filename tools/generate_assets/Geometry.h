#pragma once

#include <cstdint>
#include <vector>

namespace assets {

struct Vec3 {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, float s);
float dot(Vec3 a, Vec3 b);
Vec3 cross(Vec3 a, Vec3 b);
float length(Vec3 a);
Vec3 normalize(Vec3 a);

// One triangle corner: an index into the shared position list, so that corners meant to
// meet are bit-identical (the loader welds by exact raw position), plus the corner's own
// normal and texture coordinate, which may differ between corners at one position.
struct Corner {
    uint32_t position = 0;
    Vec3 normal;
    float u = 0.0f, v = 0.0f;
};

struct Triangle {
    Corner corners[3];
};

// Indexed triangles of one model (or of one solid while it is being built).
struct MeshData {
    std::vector<Vec3> positions;
    std::vector<Triangle> triangles;

    uint32_t addPosition(Vec3 p);
    void addTriangle(uint32_t a, uint32_t b, uint32_t c);
    // Adds other's positions and triangles; the two never share a position index.
    void append(const MeshData& other);
    Vec3 faceNormal(const Triangle& t) const;
    // Positive for a closed solid whose triangles wind counter-clockwise seen from outside.
    double signedVolume() const;
    // Makes a closed solid wind outward whatever order it was built in.
    void orientOutward();
    // Per-corner normals: faces that meet at a position are averaged when their planes differ
    // by less than creaseDegrees, so curved surfaces shade smoothly and steps stay sharp.
    void smoothNormals(float creaseDegrees);
    // Texture coordinates projected along each triangle's dominant normal axis; used for flat
    // parts, where that gives undistorted texels and non-degenerate tangent frames.
    void boxProjectUv(float worldPerRepeat, uint32_t firstTriangle = 0);
};

// A point of a surface-of-revolution profile, revolved about the vertical axis. A point with
// r = 0 is a pole (one position). A square point lies on the axis-aligned square of half size
// r instead of the circle, so the same revolution can cut a square hole or make a square pool.
struct ProfilePoint {
    float r = 0.0f;
    float y = 0.0f;
    bool square = false;
    // How the segment from this point to the next gets its texture coordinates: around and
    // along the profile (smooth curved parts) or by box projection (flat parts).
    bool cylindricalUv = true;
};

struct LatheOptions {
    int segments = 32;  // a multiple of 8 keeps the square's corners and the axes exact
    float centreX = 0.0f;
    float centreZ = 0.0f;
    float worldPerRepeat = 10.0f;  // texture size in model units along the profile
    float uRepeats = 1.0f;         // whole texture repeats around the axis (seamless)
    float angleOffset = 0.0f;      // radians, turns the whole solid
    bool closedLoop = false;       // profile joins its last point back to the first
};

// A closed solid of revolution (the profile must start and end on the axis, or be a closed
// loop), wound outward, without normals.
MeshData lathe(const std::vector<ProfilePoint>& profile, const LatheOptions& options);

// A closed box, turned by angle (radians) about the vertical axis through its centre.
MeshData box(Vec3 centre, Vec3 halfSize, float angle, float worldPerRepeat);

// cos and sin of 2 pi k / n, exact at multiples of a quarter turn so that bounds land exactly.
void unitCircle(int k, int n, float angleOffset, float& c, float& s);

}  // namespace assets
