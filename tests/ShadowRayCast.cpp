#include "ShadowRayCast.h"

#include "GLTestSupport.h"
#include "ModelInvariants.h"

#include "gl/Vertex.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double Point::*axes[3] = {&Point::x, &Point::y, &Point::z};

}  // namespace

Occluders::Occluders(const std::vector<Renderable*>& casters, bool mirrored)
{
    for (Renderable* object : casters) {
        const std::vector<Vertex> vertices = readBuffer<Vertex>(object->mesh->vertexBuffer.id);
        const std::vector<GLuint> indices = readBuffer<GLuint>(object->mesh->indexBuffer.id);

        const bool wasReflected = std::exchange(object->reflected, mirrored);
        const Mat4 world = object->worldMatrix();
        object->reflected = wasReflected;
        // Adjacency primitives keep the triangle's own corners at 0, 2 and 4.
        const size_t stride = object->mesh->adjacency ? 6 : 3, step = stride / 3;
        for (size_t first = 0; first + stride <= indices.size(); first += stride) {
            Triangle& triangle = triangles.emplace_back();
            for (size_t k = 0; k < 3; ++k) {
                const float* p = vertices.at(indices[first + k * step]).position;
                const Vec4 v = world * Vec4(p[0], p[1], p[2], 1.0f);
                triangle[k] = {v.x, v.y, v.z};
            }
        }
    }
    for (size_t first = 0; first < triangles.size(); first += 32) {
        Run run{triangles[first][0], triangles[first][0], first, std::min(triangles.size(), first + 32)};
        for (size_t t = run.first; t < run.end; ++t)
            for (const Point& p : triangles[t])
                for (const auto c : axes) {
                    run.low.*c = std::min(run.low.*c, p.*c);
                    run.high.*c = std::max(run.high.*c, p.*c);
                }
        runs.push_back(run);
    }
}

bool Occluders::blocked(Point a, Point b) const
{
    const Point d = b - a;
    for (const Run& run : runs)
        if (segmentMeetsBox(run, a, d))
            for (size_t t = run.first; t < run.end; ++t)
                if (segmentMeetsTriangle(triangles[t], a, d))
                    return true;
    return false;
}

bool Occluders::segmentMeetsBox(const Run& run, Point a, Point d)
{
    double enter = 0, leave = 1;
    for (const auto c : axes) {
        if (std::abs(d.*c) < 1e-12) {
            if (a.*c < run.low.*c || a.*c > run.high.*c)
                return false;
            continue;
        }
        const double t0 = (run.low.*c - a.*c) / d.*c, t1 = (run.high.*c - a.*c) / d.*c;
        enter = std::max(enter, std::min(t0, t1));
        leave = std::min(leave, std::max(t0, t1));
    }
    return enter <= leave;
}

bool Occluders::segmentMeetsTriangle(const Triangle& T, Point a, Point d)
{
    const Point e1 = T[1] - T[0], e2 = T[2] - T[0];
    const Point p = cross(d, e2);
    const double determinant = dot(e1, p);
    if (std::abs(determinant) < 1e-12)
        return false;
    const Point s = a - T[0], q = cross(s, e1);
    const double u = dot(s, p) / determinant, v = dot(d, q) / determinant, t = dot(e2, q) / determinant;
    return u >= 0 && v >= 0 && u + v <= 1 && t > 0 && t < 1;
}

Target::Target(int w, int h, const Mat4& P, const Mat4& V)
    : width(w), height(h), depth(size_t(w) * size_t(h)), stencil(depth.size()), projection(P), view(V)
{
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    glReadPixels(0, 0, w, h, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, stencil.data());
    // A multisampled window reads back the values of its first sample, which does not
    // lie at the pixel's centre: unprojecting from the centre tilts every surface.
    if (boundName(GL_SAMPLE_BUFFERS) > 0)
        glGetMultisamplefv(GL_SAMPLE_POSITION, 0, sample);
}

Point Target::world(int x, int y) const
{
    const double nx = 2.0 * (x + sample[0]) / width - 1.0, ny = 2.0 * (y + sample[1]) / height - 1.0;
    const double nz = 2.0 * depthAt(x, y) - 1.0;
    const double ze = -double(projection[14]) / (nz + double(projection[10]));
    const Point eye{nx * -ze / double(projection[0]), ny * -ze / double(projection[5]), ze};
    const Point d = eye - Point{view[12], view[13], view[14]};
    return {view[0] * d.x + view[1] * d.y + view[2] * d.z, view[4] * d.x + view[5] * d.y + view[6] * d.z,
            view[8] * d.x + view[9] * d.y + view[10] * d.z};
}

namespace {

Agreement compareShadows(const Target& target, Point light, Point eye, const Occluders& occluders, int spacing)
{
    const int columns = (target.width - 2) / spacing, rows = (target.height - 2) / spacing;
    enum Answer : signed char { none = -1, lit = 0, shadowed = 1 };
    std::vector<signed char> answer(size_t(columns) * size_t(rows), none);
    std::vector<bool> candidate(answer.size(), false);
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const int x = 1 + column * spacing, y = 1 + row * spacing;
            if (target.depthAt(x, y) >= 1.0f || target.depthAt(x - 1, y) >= 1.0f || target.depthAt(x + 1, y) >= 1.0f ||
                target.depthAt(x, y - 1) >= 1.0f || target.depthAt(x, y + 1) >= 1.0f)
                continue;
            const Point p = target.world(x, y);
            const Point left = target.world(x - 1, y), right = target.world(x + 1, y);
            const Point below = target.world(x, y - 1), above = target.world(x, y + 1);
            Point normal = normalized(cross(right - left, above - below));
            if (dot(normal, eye - p) < 0)
                normal = normal * -1.0;
            const Point toLight = normalized(light - p);
            const double distance = length(eye - p);
            // Off the surface by more than the depth buffer's error, towards the light.
            const Point start = p + normal * (0.02 + 2e-4 * distance) + toLight * 0.05;
            const size_t at = size_t(row) * size_t(columns) + size_t(column);
            answer[at] = occluders.blocked(start, light) ? shadowed : lit;
            const double bend = std::max(length(left + right - p * 2.0), length(below + above - p * 2.0));
            candidate[at] = bend < 0.002 * distance + 0.02 && dot(normal, toLight) > 0.15;
        }

    Agreement agreement;
    for (int row = 1; row + 1 < rows; ++row)
        for (int column = 1; column + 1 < columns; ++column) {
            const size_t at = size_t(row) * size_t(columns) + size_t(column);
            if (!candidate[at])
                continue;
            bool boundary = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const signed char neighbour = answer[at + size_t(dy * columns + dx)];
                    boundary = boundary || (neighbour != none && neighbour != answer[at]);
                }
            if (boundary)
                continue;
            ++agreement.compared;
            agreement.shadowed += answer[at] == shadowed;
            const bool gpu = target.shadowAt(1 + column * spacing, 1 + row * spacing);
            agreement.agreed += gpu == (answer[at] == shadowed);
        }
    return agreement;
}

}  // namespace

Agreement compareWithRayCast(Renderer& renderer, const Target& target, bool mirrored,
                             const std::vector<Renderable*>& casters, int spacing)
{
    const Vec4 eye = renderer.camera.getPosition();
    renderer.light.reflected = mirrored;
    const Vec4 light = renderer.light.getWorldPosition();
    renderer.light.reflected = false;
    return compareShadows(target, {light.x, light.y, light.z}, {eye.x, eye.y, eye.z}, Occluders(casters, mirrored),
                          spacing);
}
