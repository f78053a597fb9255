// Primitive assembly: what immediate mode hands WebGL for each primitive, with smooth and flat
// shading (GL 1.1's provoking vertex), outlined polygons and wide lines.
#include <vector>

#include "webgl_fixture.hpp"

namespace {

using webgltest::WebglTest;

struct AssemblyCase {
    const char* name;
    GLenum primitive;
    int vertexCount;
    GLenum shadeModel, polygonMode;
    GLenum drawnMode;
    std::vector<int> positions;  // drawn vertex k is given vertex positions[k] ...
    std::vector<int> colours;    // ... in the colour of given vertex colours[k]
};

const AssemblyCase kAssemblyCases[] = {
    {"quads split from the second corner to the fourth", GL_QUADS, 4, GL_SMOOTH, GL_FILL, GL_TRIANGLES,
     {0, 1, 3, 1, 2, 3}, {0, 1, 3, 1, 2, 3}},
    {"flat quads take the fourth corner's colour", GL_QUADS, 4, GL_FLAT, GL_FILL, GL_TRIANGLES,
     {0, 1, 3, 1, 2, 3}, {3, 3, 3, 3, 3, 3}},
    {"quad strip", GL_QUAD_STRIP, 6, GL_FLAT, GL_FILL, GL_TRIANGLES,
     {2, 0, 3, 0, 1, 3, 4, 2, 5, 2, 3, 5}, {3, 3, 3, 3, 3, 3, 5, 5, 5, 5, 5, 5}},
    {"triangle strip keeps its winding", GL_TRIANGLE_STRIP, 5, GL_FLAT, GL_FILL, GL_TRIANGLES,
     {0, 1, 2, 2, 1, 3, 2, 3, 4}, {2, 2, 2, 3, 3, 3, 4, 4, 4}},
    {"triangle fan", GL_TRIANGLE_FAN, 4, GL_FLAT, GL_FILL, GL_TRIANGLES, {0, 1, 2, 0, 2, 3}, {2, 2, 2, 3, 3, 3}},
    {"triangles, an incomplete one dropped", GL_TRIANGLES, 7, GL_FLAT, GL_FILL, GL_TRIANGLES,
     {0, 1, 2, 3, 4, 5}, {2, 2, 2, 5, 5, 5}},
    {"a flat polygon takes its first vertex's colour", GL_POLYGON, 5, GL_FLAT, GL_FILL, GL_TRIANGLES,
     {0, 1, 2, 0, 2, 3, 0, 3, 4}, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {"lines, flat from each second vertex", GL_LINES, 5, GL_FLAT, GL_FILL, GL_LINES, {0, 1, 2, 3}, {1, 1, 3, 3}},
    {"line strip", GL_LINE_STRIP, 3, GL_SMOOTH, GL_FILL, GL_LINES, {0, 1, 1, 2}, {0, 1, 1, 2}},
    {"line loop closes", GL_LINE_LOOP, 3, GL_FLAT, GL_FILL, GL_LINES, {0, 1, 1, 2, 2, 0}, {1, 1, 2, 2, 0, 0}},
    {"a loop of two is one segment", GL_LINE_LOOP, 2, GL_SMOOTH, GL_FILL, GL_LINES, {0, 1}, {0, 1}},
    {"outlined flat triangle in the polygon's colour", GL_TRIANGLES, 3, GL_FLAT, GL_LINE, GL_LINES,
     {0, 1, 1, 2, 2, 0}, {2, 2, 2, 2, 2, 2}},
    {"outlined quad strip follows the quad's corners", GL_QUAD_STRIP, 4, GL_SMOOTH, GL_LINE, GL_LINES,
     {2, 0, 0, 1, 1, 3, 3, 2}, {2, 0, 0, 1, 1, 3, 3, 2}},
    {"points are not drawn", GL_POINTS, 3, GL_SMOOTH, GL_FILL, GL_POINTS, {}, {}},
};

class Assembly : public WebglTest, public ::testing::WithParamInterface<AssemblyCase> {};

// Vertex k lies at (k/10, k/20) in the colour (k/10, 0, 1 - k/10): with identity matrices the
// drawn clip positions and colours name the given vertices.
TEST_P(Assembly, DrawsGlsVertices) {
    const AssemblyCase& c = GetParam();
    glShadeModel(c.shadeModel);
    glPolygonMode(GL_FRONT_AND_BACK, c.polygonMode);
    glBegin(c.primitive);
    for (int k = 0; k < c.vertexCount; ++k) {
        glColor3f(k / 10.0f, 0.0f, 1.0f - k / 10.0f);
        glVertex3f(k / 10.0f, k / 20.0f, 0.0f);
    }
    glEnd();
    glFlush();
    const std::vector<stub::DrawnVertex> drawn = stub::drawnOf(c.drawnMode);
    ASSERT_EQ(drawn.size(), c.positions.size());
    ASSERT_EQ(stub::state.drawn.size(), c.positions.size()) << "nothing else is drawn";
    for (size_t k = 0; k < drawn.size(); ++k) {
        EXPECT_FLOAT_EQ(drawn[k].clip[0], c.positions[k] / 10.0f) << "vertex " << k;
        EXPECT_FLOAT_EQ(drawn[k].clip[1], c.positions[k] / 20.0f) << "vertex " << k;
        EXPECT_NEAR(drawn[k].colour[0], c.colours[k] / 10.0f, 1.0f / 255) << "vertex " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Primitives, Assembly, ::testing::ValuesIn(kAssemblyCases));

struct WideLineCase {
    const char* name;
    GLfloat from[3], to[3];
    GLfloat corners[4][3];  // the quad's corners in clip space: from-, from+, to+, to-
};

// A 3-pixel line in a 100 x 80 viewport grows 1.5 pixels to each side across its minor axis:
// 0.0375 in y for an x-major line, 0.03 in x otherwise. The near plane (z = -w) cuts it first.
const WideLineCase kWideLineCases[] = {
    {"x-major grows in y", {-0.5f, 0, 0}, {0.5f, 0.1f, 0},
     {{-0.5f, -0.0375f, 0}, {-0.5f, 0.0375f, 0}, {0.5f, 0.1375f, 0}, {0.5f, 0.0625f, 0}}},
    {"y-major grows in x", {0, -0.5f, 0}, {0.1f, 0.5f, 0},
     {{-0.03f, -0.5f, 0}, {0.03f, -0.5f, 0}, {0.13f, 0.5f, 0}, {0.07f, 0.5f, 0}}},
    {"cut at the near plane", {-0.5f, 0, -3}, {0.5f, 0, 1},
     {{0, -0.0375f, -1}, {0, 0.0375f, -1}, {0.5f, 0.0375f, 1}, {0.5f, -0.0375f, 1}}},
};

class WideLines : public WebglTest, public ::testing::WithParamInterface<WideLineCase> {};

TEST_P(WideLines, AreQuadsOfTheLineWidth) {
    const WideLineCase& c = GetParam();
    glLineWidth(3.0f);
    glBegin(GL_LINES);
    glVertex3f(c.from[0], c.from[1], c.from[2]);
    glVertex3f(c.to[0], c.to[1], c.to[2]);
    glEnd();
    glFlush();
    const std::vector<stub::DrawnVertex> drawn = stub::drawnOf(GL_TRIANGLES);
    ASSERT_EQ(drawn.size(), 6u);
    const int order[6] = {0, 1, 2, 0, 2, 3};
    for (int k = 0; k < 6; ++k) {
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR(drawn[k].clip[axis] / drawn[k].clip[3], c.corners[order[k]][axis], 1e-6) << k << "," << axis;
        }
    }
}

// A display list keeps a long run in the kept vertices, and its wide lines are widened by the
// vertex shader to the same quads; a second call sends nothing.
TEST_P(WideLines, FromAListAreTheSameQuads) {
    const WideLineCase& c = GetParam();
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_LINES);
    for (int k = 0; k < 16; ++k) {
        glVertex3f(c.from[0], c.from[1], c.from[2]);
        glVertex3f(c.to[0], c.to[1], c.to[2]);
    }
    glEnd();
    glEndList();
    glLineWidth(3.0f);
    glCallList(list);
    stub::clearRecord();
    glCallList(list);
    glFlush();
    EXPECT_EQ(stub::count("BufferData"), 0);
    const std::vector<stub::DrawnVertex> drawn = stub::drawnOf(GL_TRIANGLES);
    ASSERT_EQ(drawn.size(), 16u * 6);
    const int order[6] = {0, 1, 2, 0, 2, 3};
    for (int k = 0; k < 6; ++k) {
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR(drawn[k].clip[axis] / drawn[k].clip[3], c.corners[order[k]][axis], 1e-6) << k << "," << axis;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, WideLines, ::testing::ValuesIn(kWideLineCases));

TEST_F(WebglTest, WideLinesBehindTheNearPlaneAreNotDrawn) {
    glLineWidth(3.0f);
    glBegin(GL_LINES);
    glVertex3f(0, 0, -2);
    glVertex3f(1, 0, -3);
    glEnd();
    glFlush();
    EXPECT_EQ(stub::state.drawn.size(), 0u);
}

}  // namespace
