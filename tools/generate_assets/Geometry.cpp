#include "Geometry.h"

#include <algorithm>
#include <cmath>

namespace assets {

Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, float s)
{
    return {a.x * s, a.y * s, a.z * s};
}
float dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float length(Vec3 a)
{
    return std::sqrt(dot(a, a));
}
Vec3 normalize(Vec3 a)
{
    float l = length(a);
    return l > 0.0f ? a * (1.0f / l) : a;
}

uint32_t MeshData::addPosition(Vec3 p)
{
    positions.push_back(p);
    return static_cast<uint32_t>(positions.size() - 1);
}

void MeshData::addTriangle(uint32_t a, uint32_t b, uint32_t c)
{
    Triangle t;
    t.corners[0].position = a;
    t.corners[1].position = b;
    t.corners[2].position = c;
    triangles.push_back(t);
}

void MeshData::append(const MeshData& other)
{
    uint32_t base = static_cast<uint32_t>(positions.size());
    positions.insert(positions.end(), other.positions.begin(), other.positions.end());
    for (Triangle t : other.triangles) {
        for (Corner& c : t.corners)
            c.position += base;
        triangles.push_back(t);
    }
}

Vec3 MeshData::faceNormal(const Triangle& t) const
{
    Vec3 a = positions[t.corners[0].position];
    Vec3 b = positions[t.corners[1].position];
    Vec3 c = positions[t.corners[2].position];
    return normalize(cross(b - a, c - a));
}

double MeshData::signedVolume() const
{
    double volume = 0.0;
    for (const Triangle& t : triangles) {
        Vec3 a = positions[t.corners[0].position];
        Vec3 b = positions[t.corners[1].position];
        Vec3 c = positions[t.corners[2].position];
        volume += (double(a.x) * (double(b.y) * c.z - double(b.z) * c.y) -
                   double(a.y) * (double(b.x) * c.z - double(b.z) * c.x) +
                   double(a.z) * (double(b.x) * c.y - double(b.y) * c.x)) /
                  6.0;
    }
    return volume;
}

void MeshData::orientOutward()
{
    if (signedVolume() >= 0.0)
        return;
    for (Triangle& t : triangles)
        std::swap(t.corners[1], t.corners[2]);
}

void MeshData::smoothNormals(float creaseDegrees)
{
    const float limit = std::cos(creaseDegrees * 3.14159265f / 180.0f);
    std::vector<Vec3> faceNormals(triangles.size());
    std::vector<std::vector<uint32_t>> trianglesAt(positions.size());
    for (size_t i = 0; i < triangles.size(); ++i) {
        faceNormals[i] = faceNormal(triangles[i]);
        for (const Corner& c : triangles[i].corners)
            trianglesAt[c.position].push_back(static_cast<uint32_t>(i));
    }
    for (size_t i = 0; i < triangles.size(); ++i) {
        for (Corner& c : triangles[i].corners) {
            Vec3 sum;
            for (uint32_t j : trianglesAt[c.position]) {
                if (dot(faceNormals[i], faceNormals[j]) < limit)
                    continue;
                // Weight by the corner angle so that a fan of thin triangles does not
                // outvote one broad face.
                const Triangle& t = triangles[j];
                int k = 0;
                while (t.corners[k].position != c.position)
                    ++k;
                Vec3 p = positions[t.corners[k].position];
                Vec3 e1 = normalize(positions[t.corners[(k + 1) % 3].position] - p);
                Vec3 e2 = normalize(positions[t.corners[(k + 2) % 3].position] - p);
                float angle = std::acos(std::clamp(dot(e1, e2), -1.0f, 1.0f));
                sum = sum + faceNormals[j] * angle;
            }
            c.normal = normalize(sum);
        }
    }
}

void MeshData::boxProjectUv(float worldPerRepeat, uint32_t firstTriangle)
{
    for (size_t i = firstTriangle; i < triangles.size(); ++i) {
        Vec3 n = faceNormal(triangles[i]);
        for (Corner& c : triangles[i].corners) {
            Vec3 p = positions[c.position];
            if (std::fabs(n.y) >= std::fabs(n.x) && std::fabs(n.y) >= std::fabs(n.z)) {
                c.u = p.x / worldPerRepeat;
                c.v = p.z / worldPerRepeat;
            } else if (std::fabs(n.x) >= std::fabs(n.z)) {
                c.u = p.z / worldPerRepeat;
                c.v = p.y / worldPerRepeat;
            } else {
                c.u = p.x / worldPerRepeat;
                c.v = p.y / worldPerRepeat;
            }
        }
    }
}

void unitCircle(int k, int n, float angleOffset, float& c, float& s)
{
    k %= n;
    if (angleOffset == 0.0f && (4 * k) % n == 0) {
        static const float cosines[4] = {1.0f, 0.0f, -1.0f, 0.0f};
        static const float sines[4] = {0.0f, 1.0f, 0.0f, -1.0f};
        c = cosines[4 * k / n];
        s = sines[4 * k / n];
        return;
    }
    double angle = 2.0 * 3.14159265358979323846 * k / n + angleOffset;
    c = static_cast<float>(std::cos(angle));
    s = static_cast<float>(std::sin(angle));
}

MeshData lathe(const std::vector<ProfilePoint>& profile, const LatheOptions& options)
{
    MeshData mesh;
    const int n = options.segments;
    const size_t count = profile.size();
    // An open profile of n points has n - 1 segments, so an empty one would count them
    // from a wrapped-around size.
    if (count == 0)
        return mesh;
    std::vector<uint32_t> firstPosition(count);
    std::vector<float> along(count + 1, 0.0f);
    for (size_t i = 0; i < count; ++i) {
        const ProfilePoint& p = profile[i];
        firstPosition[i] = static_cast<uint32_t>(mesh.positions.size());
        bool pole = p.r == 0.0f && !p.square;
        for (int k = 0; k < (pole ? 1 : n); ++k) {
            float c = 1.0f, s = 0.0f;
            unitCircle(k, n, options.angleOffset, c, s);
            if (p.square) {
                // Dividing by the larger of |c| and |s| walks the ray out to the square; at the
                // corners and mid-sides one quotient is exactly 1, so the sides come out straight.
                float m = std::max(std::fabs(c), std::fabs(s));
                c /= m;
                s /= m;
            }
            mesh.addPosition({options.centreX + p.r * c, p.y, options.centreZ + p.r * s});
        }
        const ProfilePoint& next = profile[(i + 1) % count];
        along[i + 1] = along[i] + std::hypot(next.r - p.r, next.y - p.y);
    }
    auto isPole = [&](size_t i) { return profile[i].r == 0.0f && !profile[i].square; };
    auto at = [&](size_t i, int k) { return firstPosition[i] + (isPole(i) ? 0u : static_cast<uint32_t>(k % n)); };

    size_t segmentCount = options.closedLoop ? count : count - 1;
    for (size_t i = 0; i < segmentCount; ++i) {
        size_t j = (i + 1) % count;
        if (isPole(i) && isPole(j))
            continue;
        uint32_t first = static_cast<uint32_t>(mesh.triangles.size());
        for (int k = 0; k < n; ++k) {
            float u0 = options.uRepeats * k / n, u1 = options.uRepeats * (k + 1) / n;
            float uMid = 0.5f * (u0 + u1);
            float v0 = along[i] / options.worldPerRepeat, v1 = along[i + 1] / options.worldPerRepeat;
            auto corner = [&](uint32_t position, float u, float v) {
                Corner c;
                c.position = position;
                c.u = u;
                c.v = v;
                return c;
            };
            Corner a = corner(at(i, k), isPole(i) ? uMid : u0, v0);
            Corner b = corner(at(i, k + 1), u1, v0);
            Corner c = corner(at(j, k + 1), isPole(j) ? uMid : u1, v1);
            Corner d = corner(at(j, k), u0, v1);
            if (isPole(i)) {
                mesh.triangles.push_back({{a, c, d}});
            } else if (isPole(j)) {
                mesh.triangles.push_back({{a, b, c}});
            } else {
                mesh.triangles.push_back({{a, b, c}});
                mesh.triangles.push_back({{a, c, d}});
            }
        }
        if (!profile[i].cylindricalUv)
            mesh.boxProjectUv(options.worldPerRepeat, first);
    }
    mesh.orientOutward();
    return mesh;
}

MeshData box(Vec3 centre, Vec3 halfSize, float angle, float worldPerRepeat)
{
    MeshData mesh;
    float c = std::cos(angle), s = std::sin(angle);
    for (int i = 0; i < 8; ++i) {
        float x = (i & 1) ? halfSize.x : -halfSize.x;
        float y = (i & 2) ? halfSize.y : -halfSize.y;
        float z = (i & 4) ? halfSize.z : -halfSize.z;
        mesh.addPosition({centre.x + c * x - s * z, centre.y + y, centre.z + s * x + c * z});
    }
    // Each face as a quad of corner numbers (bit 0 = +x, bit 1 = +y, bit 2 = +z).
    static const uint32_t faces[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4},
                                         {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
    for (const auto& f : faces) {
        mesh.addTriangle(f[0], f[1], f[2]);
        mesh.addTriangle(f[0], f[2], f[3]);
    }
    mesh.orientOutward();
    mesh.boxProjectUv(worldPerRepeat);
    return mesh;
}

}  // namespace assets
