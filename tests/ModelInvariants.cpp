#include "ModelInvariants.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <sstream>
#include <utility>

namespace {

// Positions are compared exactly: corners the loader welded were at one raw position, and the
// fit maps one raw position to one fitted position.
using Position = std::array<float, 3>;
using Edge = std::pair<Position, Position>;         // smaller position first
using TrianglePositions = std::array<Position, 3>;  // sorted: a triangle known by its corners alone

constexpr float tolerance = 1e-4f;

template <typename... Parts>
std::string describe(const Parts&... parts)
{
    std::ostringstream text;
    (text << ... << parts);
    return text.str();
}

double dot(const float* a, const float* b)
{
    return double(a[0]) * b[0] + double(a[1]) * b[1] + double(a[2]) * b[2];
}

// Finite floats only; unit tangent and bitangent at a right angle to the normal's direction.
// The first broken vertex is reported.
bool checkVertices(const std::vector<Vertex>& vertices, std::vector<std::string>& broken)
{
    for (size_t i = 0; i < vertices.size(); ++i) {
        const Vertex& vertex = vertices[i];
        const float* floats = reinterpret_cast<const float*>(&vertex);
        for (size_t f = 0; f < sizeof(Vertex) / sizeof(float); ++f)
            if (!std::isfinite(floats[f])) {
                broken.push_back(describe("vertex ", i, ": float ", f, " is ", floats[f]));
                return false;
            }
        const double normalLength = std::sqrt(dot(vertex.normal, vertex.normal));
        for (const float* axis : {vertex.tangent, vertex.bitangent}) {
            const double length = std::sqrt(dot(axis, axis));
            const double offSurface = normalLength > 0.0 ? std::fabs(dot(axis, vertex.normal)) / normalLength : 0.0;
            if (std::fabs(length - 1.0) > tolerance || offSurface > tolerance) {
                broken.push_back(describe("vertex ", i, ": a tangent axis of length ", length,
                                          " leaves the surface by ", offSurface));
                return true;
            }
        }
    }
    return true;
}

void checkUnitBox(const std::vector<Vertex>& vertices, std::vector<std::string>& broken)
{
    if (vertices.empty())
        return;
    Position low{}, high{};
    for (int c = 0; c < 3; ++c) {
        const auto byCoordinate = [c](const Vertex& a, const Vertex& b) { return a.position[c] < b.position[c]; };
        const auto [lowest, highest] = std::minmax_element(vertices.begin(), vertices.end(), byCoordinate);
        low[c] = lowest->position[c];
        high[c] = highest->position[c];
    }
    float largest = 0.0f;
    for (int c = 0; c < 3; ++c) {
        largest = std::max(largest, high[c] - low[c]);
        if (std::fabs(high[c] + low[c]) > 2.0f * tolerance)
            broken.push_back(describe("coordinate ", c, " runs from ", low[c], " to ", high[c], ", not around 0"));
    }
    // A model of one point has no side to scale and stays at the origin.
    if (largest != 0.0f && std::fabs(largest - 1.0f) > tolerance)
        broken.push_back(describe("the largest side measures ", largest, ", not 1"));
}

// Each edge's opposite vertex lies on a triangle across that edge; an edge no other triangle
// has is free (its opposite vertex is the triangle's own third corner) and counted.
void checkAdjacency(const PreparedModel& model, std::vector<std::string>& broken)
{
    const size_t triangleCount = model.indices.size() / 6;
    const auto position = [&model](size_t slot) {
        const float* p = model.vertices[model.indices[slot]].position;
        return Position{p[0], p[1], p[2]};
    };
    const auto corner = [&position](size_t t, int k) { return position(6 * t + 2 * size_t(k % 3)); };
    const auto edge = [](const Position& a, const Position& b) { return a < b ? Edge{a, b} : Edge{b, a}; };
    const auto sorted = [](TrianglePositions corners) {
        std::sort(corners.begin(), corners.end());
        return corners;
    };

    std::map<Edge, std::vector<size_t>> trianglesOnEdge;
    std::vector<TrianglePositions> cornersOf(triangleCount);
    for (size_t t = 0; t < triangleCount; ++t) {
        cornersOf[t] = sorted({corner(t, 0), corner(t, 1), corner(t, 2)});
        for (int k = 0; k < 3; ++k)
            trianglesOnEdge[edge(corner(t, k), corner(t, k + 1))].push_back(t);
    }

    int unshared = 0;   // proper edges that only their own triangle has: free for sure
    int ownCorner = 0;  // edges given their own third corner: free, or a neighbour mirroring it
    for (size_t t = 0; t < triangleCount; ++t)
        for (int k = 0; k < 3; ++k) {
            const Position p = corner(t, k), q = corner(t, k + 1), own = corner(t, k + 2);
            const Position opposite = position(6 * t + 2 * size_t(k) + 1);
            if (opposite == own)
                ++ownCorner;
            // Two corners at one position: no proper edge to check.
            if (p == q || q == own || own == p)
                continue;
            const std::vector<size_t>& onEdge = trianglesOnEdge[edge(p, q)];
            if (onEdge.size() == 1)
                ++unshared;
            if (opposite == own)
                continue;
            const TrianglePositions claimed = sorted({p, q, opposite});
            const bool shared = std::any_of(onEdge.begin(), onEdge.end(),
                                            [&](size_t other) { return other != t && cornersOf[other] == claimed; });
            if (!shared) {
                broken.push_back(
                    describe("triangle ", t, ", edge ", k, ": no other triangle has the edge and its opposite vertex"));
                return;
            }
        }
    if (model.freeEdges < unshared || model.freeEdges > ownCorner)
        broken.push_back(describe(model.freeEdges, " free edges counted, but ", unshared,
                                  " edges have no neighbour and ", ownCorner,
                                  " have their own corner as the neighbour's"));
}

}  // namespace

PreparedModel readPreparedModel(const Mesh& mesh, const std::vector<Material*>& materials, int freeEdges)
{
    PreparedModel model;
    model.vertices = readBuffer<Vertex>(mesh.vertexBuffer.id);
    model.indices = readBuffer<GLuint>(mesh.indexBuffer.id);
    for (const Material* material : materials)
        model.materials.push_back(*material);
    model.freeEdges = freeEdges;
    model.closed = mesh.closed;
    return model;
}

std::vector<std::string> brokenInvariants(const PreparedModel& model)
{
    std::vector<std::string> broken;
    if (model.indices.size() % 6 != 0)
        broken.push_back(describe(model.indices.size(), " indices are not six per triangle"));
    const auto outOfRange = std::find_if(model.indices.begin(), model.indices.end(),
                                         [&model](GLuint index) { return index >= model.vertices.size(); });
    if (outOfRange != model.indices.end())
        broken.push_back(describe("index ", *outOfRange, " of ", model.vertices.size(), " vertices"));
    const bool finite = checkVertices(model.vertices, broken);
    if (finite)
        checkUnitBox(model.vertices, broken);
    if (broken.empty())
        checkAdjacency(model, broken);
    if (model.closed && model.freeEdges != 0)
        broken.push_back(describe("closed with ", model.freeEdges, " free edges"));
    if (!model.closed && model.freeEdges == 0)
        broken.push_back("open without a free edge");

    GLuint next = 0;
    for (const Material& material : model.materials) {
        if (material.firstIndex != next || material.indexCount % 6 != 0)
            broken.push_back(describe("material \"", material.name, "\" draws ", material.indexCount, " indices from ",
                                      material.firstIndex, " where ", next, " was next"));
        next = material.firstIndex + material.indexCount;
    }
    if (next != model.indices.size())
        broken.push_back(describe("the materials draw ", next, " of ", model.indices.size(), " indices"));
    return broken;
}
