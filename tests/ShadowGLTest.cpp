// Whether the stencil count of the shadow volumes says "in shadow" exactly where the light is
// blocked: the depth and stencil buffers a real frame leaves behind are unprojected to world
// points and compared with a ray cast on the CPU against the casters' own triangles. The same
// ray cast follows the camera's eye along its whole path.

#include "Point.h"
#include "ScenePassSupport.h"

#include "gl/Vertex.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>
#include <utility>
#include <vector>

namespace {

constexpr double Point::*axes[3] = {&Point::x, &Point::y, &Point::z};

using Triangle = std::array<Point, 3>;

// The casters' triangles in the world of one pass, in runs of consecutive ones, each run with
// its bounding box: the meshes keep neighbouring triangles together, so most segments are
// decided by a few boxes.
class Occluders {
public:
    // Read back from the GL buffers the casters are drawn from. The copy-read target leaves
    // the vertex array's index binding alone.
    Occluders(const std::vector<Renderable*>& casters, bool mirrored)
    {
        for (Renderable* object : casters) {
            GLint size = 0;
            glBindBuffer(GL_COPY_READ_BUFFER, object->mesh->vertexBuffer.id);
            glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
            std::vector<Vertex> vertices(size_t(size) / sizeof(Vertex));
            glGetBufferSubData(GL_COPY_READ_BUFFER, 0, size, vertices.data());
            std::vector<GLuint> indices(object->mesh->indexCount);
            glBindBuffer(GL_COPY_READ_BUFFER, object->mesh->indexBuffer.id);
            glGetBufferSubData(GL_COPY_READ_BUFFER, 0, GLsizeiptr(indices.size() * sizeof(GLuint)), indices.data());
            glBindBuffer(GL_COPY_READ_BUFFER, 0);

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

    // Whether the segment from a to b passes through a triangle.
    bool blocked(Point a, Point b) const
    {
        const Point d = b - a;
        for (const Run& run : runs)
            if (segmentMeetsBox(run, a, d))
                for (size_t t = run.first; t < run.end; ++t)
                    if (segmentMeetsTriangle(triangles[t], a, d))
                        return true;
        return false;
    }

private:
    struct Run {
        Point low, high;
        size_t first, end;
    };
    std::vector<Triangle> triangles;
    std::vector<Run> runs;

    static bool segmentMeetsBox(const Run& run, Point a, Point d)
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

    // Möller and Trumbore: hit parameter t along d and barycentric u, v.
    static bool segmentMeetsTriangle(const Triangle& T, Point a, Point d)
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
};

// The depth and stencil of the framebuffer bound for reading, and how to turn its pixels
// back into world points.
struct Target {
    int width, height;
    std::vector<float> depth;
    std::vector<unsigned char> stencil;
    Mat4 projection, view;
    float sample[2] = {0.5f, 0.5f};  // where in its pixel the read depth was taken

    Target(int w, int h, const Mat4& P, const Mat4& V)
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

    float depthAt(int x, int y) const { return depth[size_t(y) * size_t(width) + size_t(x)]; }
    bool shadowAt(int x, int y) const { return stencil[size_t(y) * size_t(width) + size_t(x)] != 0; }

    // The inverse of the perspective projection, then of the rigid view matrix.
    Point world(int x, int y) const
    {
        const double nx = 2.0 * (x + sample[0]) / width - 1.0, ny = 2.0 * (y + sample[1]) / height - 1.0;
        const double nz = 2.0 * depthAt(x, y) - 1.0;
        const double ze = -double(projection[14]) / (nz + double(projection[10]));
        const Point eye{nx * -ze / double(projection[0]), ny * -ze / double(projection[5]), ze};
        const Point d = eye - Point{view[12], view[13], view[14]};
        return {view[0] * d.x + view[1] * d.y + view[2] * d.z, view[4] * d.x + view[5] * d.y + view[6] * d.z,
                view[8] * d.x + view[9] * d.y + view[10] * d.z};
    }
};

// Of the compared samples: how many GPU and CPU agree on, how many the CPU finds in shadow.
struct Agreement {
    int compared = 0, agreed = 0, shadowed = 0;
    double fraction() const { return compared ? double(agreed) / compared : 0.0; }
};

// Samples a grid. A sample counts when it shows geometry (not the cleared depth), lies on a
// smooth surface turned towards the light, and its neighbours on the grid get the same CPU
// answer, so that rasterisation at shadow edges and depth steps cannot decide it.
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

} // namespace

// Animation times chosen on the light's path (parameter t / 3) and the camera's (t / 2):
// beside the pool with the light low at +z, at its highest (the roof shades the floor) and low
// at -z; on the steps with the columns' shadows across the floor and the basin; outside.
TEST(ShadowGLTest, StencilCountMatchesARayCastInTheScreenAndTheReflectionPass)
{
    Renderer& renderer = rendererWithScene();
    int shadowedSamples = 0;
    for (const float time : {0.3f, 1.5f, 2.6f, 7.0f, 8.5f}) {
        SCOPED_TRACE("animation time " + std::to_string(time));
        renderFrameAt(renderer, time);
        Mat4 projection;
        glGetUniformfv(renderer.defaultProgram, glGetUniformLocation(renderer.defaultProgram, "ProjectionMatrix"),
                       projection.m.data());
        const Mat4 view = renderer.camera.worldMatrix();
        const Vec4 eye = renderer.camera.getPosition();
        const auto agreement = [&](const Target& target, bool mirrored, const std::vector<Renderable*>& casters,
                                   int spacing) {
            renderer.light.reflected = mirrored;
            const Vec4 light = renderer.light.getWorldPosition();
            renderer.light.reflected = false;
            return compareShadows(target, {light.x, light.y, light.z}, {eye.x, eye.y, eye.z},
                                  Occluders(casters, mirrored), spacing);
        };

        // Depth and stencil are not swapped with the colour, so they still hold the screen pass.
        const Agreement onScreen = agreement(Target(renderer.windowWidth, renderer.windowHeight, projection, view),
                                             false, renderer.screenLists.shadowCasters, 3);
        // The reflection pass used the window's projection in its square target, on the
        // mirrored world with the mirrored light.
        renderer.water->reflectionBuffer.bind();
        const Target reflection(1024, 1024, projection, view);
        renderer.water->reflectionBuffer.unbind();
        const Agreement inReflection = agreement(reflection, true, renderer.reflectionLists.shadowCasters, 4);
        std::cout << "animation time " << time << ": screen pass " << onScreen.agreed << " of " << onScreen.compared
                  << " samples agree (" << 100.0 * onScreen.fraction() << "%, " << onScreen.shadowed
                  << " in shadow), reflection pass " << inReflection.agreed << " of " << inReflection.compared
                  << " (" << 100.0 * inReflection.fraction() << "%, " << inReflection.shadowed << " in shadow)"
                  << std::endl;
        shadowedSamples += onScreen.shadowed + inReflection.shadowed;
        EXPECT_GT(onScreen.compared, 5000);
        EXPECT_GE(onScreen.fraction(), 0.99);
        EXPECT_GT(inReflection.compared, 1000);
        EXPECT_GE(inReflection.fraction(), 0.99);
    }
    // Agreement means nothing if no shadow was ever in the picture.
    EXPECT_GT(shadowedSamples, 2000);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The eye rides through the temple's ring of columns. Neither it nor the near plane (1 unit
// ahead and about as wide) may cut into a wall, at any moment of the loop: the compared
// pictures show only three, and a moved column or path point would be re-captured with them.
TEST(EyePathGLTest, TheEyeStaysTwoUnitsClearOfEverySurfaceAlongItsWholeLoop)
{
    Renderer& renderer = rendererWithScene();
    const Occluders scene(renderer.screenLists.shadowCasters, false);
    const auto eyeAt = [&renderer](int step) {
        const Vec4 eye = renderer.camera.eyePath.evaluate(float(step) / 1000.0f);
        return Point{eye.x, eye.y, eye.z};
    };
    int crossings = 0;
    for (int step = 0; step < 8000; ++step) {
        const Point eye = eyeAt(step);
        for (const Point& reach : {eyeAt(step + 1), eye + Point{2, 0, 0}, eye + Point{-2, 0, 0}, eye + Point{0, 2, 0},
                                   eye + Point{0, -2, 0}, eye + Point{0, 0, 2}, eye + Point{0, 0, -2}})
            if (scene.blocked(eye, reach) && ++crossings == 1)
                ADD_FAILURE() << "a surface near the eye at path parameter " << step / 1000.0;
    }
    EXPECT_EQ(crossings, 0);
}
