#include "loader/DataLoader.h"

#include <algorithm>
#include <cmath>

namespace {

float dot(const float a[3], const float b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

float largestMagnitude(const float v[3])
{
    return std::max({std::fabs(v[0]), std::fabs(v[1]), std::fabs(v[2])});
}

// Divides v by its length when it has a direction; false (v zero, or a coordinate not finite)
// leaves v unusable. Divided by its largest coordinate first, a very long or very short vector
// does not overflow or underflow on the way to its length.
bool normalise(float v[3])
{
    const float largest = largestMagnitude(v);
    if (!(largest > 0.0f) || !std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2]))
        return false;
    for (int c = 0; c < 3; ++c)
        v[c] /= largest;
    const float length = std::sqrt(dot(v, v));
    for (int c = 0; c < 3; ++c)
        v[c] /= length;
    return true;
}

void removeAlong(float v[3], const float n[3])
{
    const float along = dot(v, n);
    for (int c = 0; c < 3; ++c)
        v[c] -= along * n[c];
}

// v at unit length at a right angle to the unit (or zero) vector n; false when v has no
// direction of its own beside n. When v runs almost along n, what the projection
// leaves is mostly rounding error, whose direction strays from the plane. A remainder below a
// thousandth of v counts as nothing, and a second projection, of the unit remainder, takes the
// stray part of a larger one away.
bool normaliseInPlane(float v[3], const float n[3])
{
    const float largest = largestMagnitude(v);
    removeAlong(v, n);
    if (!(largestMagnitude(v) > 1e-3f * largest) || !normalise(v))
        return false;
    removeAlong(v, n);
    return normalise(v);
}

// A unit vector perpendicular to v; for a zero or non-finite v, the x axis.
void anyPerpendicular(const float v[3], float out[3])
{
    float unit[3] = {v[0], v[1], v[2]};
    if (!normalise(unit)) {
        out[0] = 1.0f;
        out[1] = 0.0f;
        out[2] = 0.0f;
        return;
    }
    // Crossing with the axis least aligned with v keeps the result far from zero.
    const float ax = std::fabs(unit[0]), ay = std::fabs(unit[1]), az = std::fabs(unit[2]);
    float reference[3] = {0.0f, 0.0f, 0.0f};
    reference[ax <= ay && ax <= az ? 0 : (ay <= az ? 1 : 2)] = 1.0f;
    cross(unit, reference, out);
    normalise(out);
}

}  // namespace

void DataLoader::measureBounds(const aiScene* scene, const aiNode* node)
{
    for (unsigned int i = 0; i < node->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
        for (unsigned int v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D& p = mesh->mVertices[v];
            for (int c = 0; c < 3; ++c) {
                const float mapped = float(sign[c]) * p[axis[c]];
                if (mapped > boundsMax[c])
                    boundsMax[c] = mapped;
                if (mapped < boundsMin[c])
                    boundsMin[c] = mapped;
            }
        }
    }
    for (unsigned int i = 0; i < node->mNumChildren; ++i)
        measureBounds(scene, node->mChildren[i]);
}

void DataLoader::fitBounds()
{
    // With no vertices the bounds are still the reset sentinels, and a single point has
    // extents of zero; either would make 1 / extent and the positions non-finite. Such a model
    // keeps scale 1 and is only centred.
    if (boundsMax[0] < boundsMin[0]) {
        fitScale = 1.0;
        fitOffset[0] = fitOffset[1] = fitOffset[2] = 0.0;
        return;
    }
    // In double, since the extent of a model that spans most of the float range
    // overflows a float, and so does 1 / the extent of a very small one.
    double largest = 0.0;
    for (int c = 0; c < 3; ++c) {
        const double extent = double(boundsMax[c]) - double(boundsMin[c]);
        largest = std::max(largest, extent);
        fitOffset[c] = extent * 0.5 - double(boundsMax[c]);
    }
    fitScale = largest > 0.0 ? 1.0 / largest : 1.0;
}

void DataLoader::gatherGeometry(const aiScene* scene, const aiNode* node)
{
    for (unsigned int i = 0; i < node->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
        const bool hasColors = mesh->HasVertexColors(0);
        const bool hasTexCoords = mesh->HasTextureCoords(0);
        const bool hasNormals = mesh->HasNormals();
        for (unsigned int v = 0; v < mesh->mNumVertices; ++v) {
            Vertex vertex{};
            const aiVector3D& p = mesh->mVertices[v];
            for (int c = 0; c < 3; ++c) {
                vertex.position[c] = float((float(sign[c]) * p[axis[c]] + fitOffset[c]) * fitScale);
                if (hasNormals)
                    vertex.normal[c] = float(sign[c]) * mesh->mNormals[v][axis[c]];
            }
            // A file's normals need not have unit length, and a long one outweighs the
            // others in the averaged normal (or overflows the sum). One without a direction
            // (zero, or not finite) counts as none.
            if (hasNormals && !normalise(vertex.normal))
                vertex.normal[0] = vertex.normal[1] = vertex.normal[2] = 0.0f;
            if (hasColors) {
                const aiColor4D& color = mesh->mColors[0][v];
                vertex.color[0] = color.r;
                vertex.color[1] = color.g;
                vertex.color[2] = color.b;
            }
            if (hasTexCoords) {
                vertex.texCoord[0] = mesh->mTextureCoords[0][v].x;
                vertex.texCoord[1] = mesh->mTextureCoords[0][v].y;
            }
            vertices.push_back(vertex);
            ++vertexCount;
        }

        for (unsigned int f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3)
                continue;
            Triangle triangle{};
            triangle.number = uint32_t(triangles.size());
            triangle.materialIndex = mesh->mMaterialIndex;
            for (int c = 0; c < 3; ++c) {
                const uint32_t m = face.mIndices[c];
                triangle.corners[c] = vertexBase + m;
                const aiVector3D& raw = mesh->mVertices[m];
                const uint32_t welded =
                    weldMap.emplace(RawPosition{raw.x, raw.y, raw.z}, triangle.corners[c]).first->second;
                triangle.welded[c] = welded;
                for (int k = 0; k < 3; ++k)
                    vertices[welded].normalAV[k] += vertices[triangle.corners[c]].normal[k];
            }
            triangles.push_back(triangle);
            registerEdges(triangle);
        }
        vertexBase += mesh->mNumVertices;
    }
    for (unsigned int i = 0; i < node->mNumChildren; ++i)
        gatherGeometry(scene, node->mChildren[i]);
}

std::vector<GLuint> DataLoader::writeIndexList(uint32_t materialCount, std::vector<Material*>* materials)
{
    std::map<uint32_t, std::vector<Triangle>> trianglesByMaterial;
    for (const Triangle& triangle : triangles)
        trianglesByMaterial[triangle.materialIndex].push_back(triangle);

    std::vector<GLuint> indices(indexCount);
    uint32_t next = 0;
    freeEdges = 0;
    const std::vector<Triangle> none;
    for (uint32_t j = 0; j < materialCount; ++j) {
        const auto found = trianglesByMaterial.find(j);
        const std::vector<Triangle>& list = found != trianglesByMaterial.end() ? found->second : none;
        // The list has one entry per scene material; a shorter one (only when a caller hands
        // a list that loadMaterials did not fill) simply gets no ranges.
        if (j < materials->size()) {
            (*materials)[j]->firstIndex = next;
            (*materials)[j]->indexCount = uint32_t(list.size()) * (adjacency ? 6 : 3);
        }
        for (const Triangle& triangle : list)
            for (int k = 0; k < 3; ++k) {
                Vertex& corner = vertices[triangle.corners[k]];
                const Vertex& representative = vertices[triangle.welded[k]];
                for (int c = 0; c < 3; ++c)
                    corner.normalAV[c] = representative.normalAV[c];
                indices[next++] = triangle.corners[k];
                if (adjacency)
                    indices[next++] = emitAdjacency(triangle, k);
            }
    }
    return indices;
}

std::vector<Vertex> DataLoader::writeVertexList(const std::vector<GLuint>& indices)
{
    const size_t step = adjacency ? 6 : 3;
    const size_t second = adjacency ? 2 : 1;
    const size_t third = adjacency ? 4 : 2;
    for (size_t i = 0; i + step <= indices.size(); i += step)
        accumulateTangents(vertices[indices[i]], vertices[indices[i + second]], vertices[indices[i + third]]);

    std::vector<Vertex> output(vertices.begin(), vertices.end());
    for (Vertex& vertex : output)
        orthonormaliseTangentFrame(vertex);
    return output;
}

void DataLoader::accumulateTangents(Vertex& a, Vertex& b, Vertex& c)
{
    float e1[3], e2[3];
    for (int k = 0; k < 3; ++k) {
        e1[k] = b.position[k] - a.position[k];
        e2[k] = c.position[k] - a.position[k];
    }
    const float du1 = b.texCoord[0] - a.texCoord[0], dv1 = b.texCoord[1] - a.texCoord[1];
    const float du2 = c.texCoord[0] - a.texCoord[0], dv2 = c.texCoord[1] - a.texCoord[1];
    // Zero UV area (a mesh without texture coordinates, or collapsed UVs) has no
    // tangent direction; 1 / 0 would poison every vertex of the triangle with Inf or NaN.
    // Such a triangle adds nothing, and the frame falls back in orthonormaliseTangentFrame.
    const float determinant = du1 * dv2 - du2 * dv1;
    if (determinant == 0.0f)
        return;
    const float r = 1.0f / determinant;
    float tangent[3], bitangent[3];
    for (int k = 0; k < 3; ++k) {
        tangent[k] = (dv2 * e1[k] - dv1 * e2[k]) * r;
        bitangent[k] = (du1 * e2[k] - du2 * e1[k]) * r;
        // A determinant that is tiny but not zero can still overflow.
        if (!std::isfinite(tangent[k]) || !std::isfinite(bitangent[k]))
            return;
    }
    for (Vertex* v : {&a, &b, &c})
        for (int k = 0; k < 3; ++k) {
            v->tangent[k] += tangent[k];
            v->bitangent[k] += bitangent[k];
        }
}

void DataLoader::orthonormaliseTangentFrame(Vertex& vertex)
{
    const float* n = vertex.normal;
    float* t = vertex.tangent;
    float* b = vertex.bitangent;
    // A tangent that vanishes here (no usable UVs, or a tangent parallel to the normal)
    // gets any direction perpendicular to the normal, and the bitangent completes the frame,
    // so that the vertex buffer holds only finite unit vectors.
    if (!normaliseInPlane(t, n))
        anyPerpendicular(n, t);
    if (!normaliseInPlane(b, n)) {
        cross(n, t, b);
        if (!normalise(b))
            anyPerpendicular(t, b);
    }
}
