// GLU's sphere: the vertices, their order and texture coordinates as libGLU issues them, drawn
// from geometry kept on the GPU exactly as immediate mode would draw the same calls, under the
// current colour, state and matrices, and left in display lists as one call; kept pieces wholly
// beyond the near or the far plane left out.
#include <cmath>
#include <vector>

#include "webgl_fixture.hpp"

namespace {

using webgltest::floats16;
using webgltest::WebglTest;

// A 4-slice, 2-stack textured sphere of radius 1 by libGLU: ring j at height cos(j 90°), slice i
// at angle i 90° from +y towards +x, s = 1 - i/4, t = 1 - j/2; poles come to a point.
struct RingPoint {
    GLfloat x, y, z, s, t;
};
const RingPoint kRings[3][5] = {
    {{0, 0, 1, 1, 1}, {0, 0, 1, 0.75f, 1}, {0, 0, 1, 0.5f, 1}, {0, 0, 1, 0.25f, 1}, {0, 0, 1, 0, 1}},
    {{0, 1, 0, 1, 0.5f}, {1, 0, 0, 0.75f, 0.5f}, {0, -1, 0, 0.5f, 0.5f}, {-1, 0, 0, 0.25f, 0.5f}, {0, 1, 0, 0, 0.5f}},
    {{0, 0, -1, 1, 0}, {0, 0, -1, 0.75f, 0}, {0, 0, -1, 0.5f, 0}, {0, 0, -1, 0.25f, 0}, {0, 0, -1, 0, 0}},
};

// The same calls by hand: one quad strip a stack, each slice's lower ring point first.
void issueByHand() {
    for (int j = 0; j < 2; ++j) {
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= 4; ++i) {
            for (const RingPoint& p : {kRings[j + 1][i], kRings[j][i]}) {
                glTexCoord2f(p.s, p.t);
                glVertex3f(p.x, p.y, p.z);
            }
        }
        glEnd();
    }
}

GLUquadric* texturedQuadric() {
    static GLUquadric* quadric = nullptr;
    if (!quadric) {
        quadric = gluNewQuadric();
        gluQuadricTexture(quadric, GL_TRUE);
    }
    gluQuadricDrawStyle(quadric, GLU_FILL);
    return quadric;
}

void expectSameVertices(const std::vector<stub::DrawnVertex>& a, const std::vector<stub::DrawnVertex>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t k = 0; k < a.size(); ++k) {
        for (int axis = 0; axis < 4; ++axis) {
            EXPECT_NEAR(a[k].clip[axis], b[k].clip[axis], 1e-6) << "vertex " << k;
            EXPECT_EQ(a[k].texCoord[axis], b[k].texCoord[axis]) << "vertex " << k;
            EXPECT_EQ(a[k].colour[axis], b[k].colour[axis]) << "vertex " << k;
        }
    }
}

TEST_F(WebglTest, SphereIsLibGlusTrianglesFromItsBuffer) {
    gluSphere(texturedQuadric(), 1.0, 4, 2);  // kept on first use
    glFlush();
    stub::clearRecord();
    glColor3f(0.2f, 0.4f, 0.6f);
    glRotatef(30, 1, 1, 0);
    issueByHand();
    glFlush();
    const std::vector<stub::DrawnVertex> byHand = stub::drawnOf(GL_TRIANGLES);
    ASSERT_EQ(byHand.size(), 2u * 4 * 2 * 3);
    stub::clearRecord();
    gluSphere(texturedQuadric(), 1.0, 4, 2);
    gluSphere(texturedQuadric(), 1.0, 4, 2);
    glFlush();
    EXPECT_EQ(stub::count("BufferData"), 0) << "drawn from its buffer, nothing sent";
    const std::vector<stub::DrawnVertex> kept = stub::drawnOf(GL_TRIANGLES);
    expectSameVertices(std::vector<stub::DrawnVertex>(kept.begin(), kept.begin() + byHand.size()), byHand);
    expectSameVertices(std::vector<stub::DrawnVertex>(kept.begin() + byHand.size(), kept.end()), byHand);
    // The current texture coordinates are the last the sphere gave, as after immediate mode.
    EXPECT_EQ(floats16(GL_CURRENT_TEXTURE_COORDS)[0], 0.0f);
    EXPECT_EQ(floats16(GL_CURRENT_TEXTURE_COORDS)[1], 0.5f);
}

// Outlined polygons, wide lines and other colours are drawn as the sphere's calls would be.
TEST_F(WebglTest, KeptSpheresFollowTheState) {
    gluSphere(texturedQuadric(), 1.0, 4, 2);  // kept before the state changes
    stub::clearRecord();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    gluSphere(texturedQuadric(), 1.0, 4, 2);
    glFlush();
    EXPECT_EQ(stub::drawnOf(GL_LINES).size(), 2u * 4 * 4 * 2) << "each quad outlined";
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    GLUquadric* grid = gluNewQuadric();
    gluQuadricDrawStyle(grid, GLU_LINE);
    gluSphere(grid, 2.0, 4, 2);
    stub::clearRecord();
    glColor3f(0, 0, 1);
    gluSphere(grid, 2.0, 4, 2);
    glLineWidth(3);
    gluSphere(grid, 2.0, 4, 2);
    glFlush();
    const std::vector<stub::DrawnVertex> thin = stub::drawnOf(GL_LINES), wide = stub::drawnOf(GL_TRIANGLES);
    ASSERT_EQ(thin.size(), 2u * (1 * 4 + 4 * 2)) << "one ring and four meridians of two segments";
    EXPECT_EQ(wide.size(), 6u * (1 * 4 + 4 * 2)) << "each segment a quad";
    for (const stub::DrawnVertex& v : thin) {
        EXPECT_EQ(v.colour[2], 1.0f);
        EXPECT_EQ(v.colour[0], 0.0f);
    }
    gluDeleteQuadric(grid);
}

TEST_F(WebglTest, ListsKeepTheSphereAsOneCall) {
    GLUquadric* grid = gluNewQuadric();
    gluQuadricDrawStyle(grid, GLU_LINE);
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    gluSphere(grid, 3.0, 4, 2);
    glEndList();
    glFlush();
    EXPECT_EQ(stub::state.drawn.size(), 0u) << "compiled, not drawn";
    glMatrixMode(GL_PROJECTION);
    glOrtho(-1, 1, -1, 1, -10, 10);  // depth scaled by 1/10, all of the sphere within it
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(0, 0, -5);
    glCallList(list);
    glFlush();
    const std::vector<stub::DrawnVertex> lines = stub::drawnOf(GL_LINES);
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_NEAR(lines[0].clip[1], 3.0f, 1e-6) << "the first ring starts at +y";
    EXPECT_NEAR(lines[0].clip[2], 0.5f, 1e-6) << "through the modelview matrix of the call";
    gluDeleteQuadric(grid);
}

// The viewer's spheres: 72 x 36 textured, 36 x 18 outlined.
TEST_F(WebglTest, TheViewersSpheresHaveLibGlusCounts) {
    glMatrixMode(GL_PROJECTION);
    glOrtho(-1, 1, -1, 1, -30, 30);  // all of them within the depth range
    glMatrixMode(GL_MODELVIEW);
    gluSphere(texturedQuadric(), 20.0, 72, 36);
    GLUquadric* grid = gluNewQuadric();
    gluQuadricDrawStyle(grid, GLU_LINE);
    gluSphere(grid, 20.3, 36, 18);
    glFlush();
    const std::vector<stub::DrawnVertex> triangles = stub::drawnOf(GL_TRIANGLES), lines = stub::drawnOf(GL_LINES);
    ASSERT_EQ(triangles.size(), 36u * 72 * 2 * 3);
    EXPECT_EQ(lines.size(), 2u * (17 * 36 + 36 * 18));
    // The first strip's first quad is (i 0, j 1), (i 0, j 0), (i 1, j 1), (i 1, j 0) in GLU's
    // order, its first triangle corners 3, 1 and 4: s = 1 - i/72, t = 1 - j/36, the pole at +z.
    EXPECT_EQ(triangles[0].texCoord[0], 1.0f - 1.0f / 72);
    EXPECT_EQ(triangles[0].texCoord[1], 1.0f - 1.0f / 36);
    EXPECT_NEAR(triangles[1].position[1], 20.0f * std::sin(static_cast<float>(M_PI / 36)), 1e-5);
    EXPECT_EQ(triangles[1].position[0], 0.0f);
    EXPECT_EQ(triangles[2].position[2], 20.0f);
    EXPECT_EQ(triangles[2].texCoord[1], 1.0f);
    gluDeleteQuadric(grid);
}

// A ring of 400 segments around the y axis, the depth range a slab of it: drawn from a list
// (kept), the pieces wholly outside the slab are left out, every segment that reaches into it is
// drawn, in the list's order; at either width.
TEST_F(WebglTest, KeptPiecesBeyondTheDepthRangeAreLeftOut) {
    constexpr int kSegments = 400;
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_LINES);
    for (int k = 0; k < kSegments; ++k) {
        for (int end = 0; end < 2; ++end) {
            const double a = (k + end) * 2 * M_PI / kSegments;
            glVertex3d(10 * std::cos(a), 0, 10 * std::sin(a));
        }
    }
    glEnd();
    glEndList();
    const auto drawnWithin = [list](GLenum mode, double depth) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-12, 12, -12, 12, -depth, depth);  // model z from -depth to depth
        stub::clearRecord();
        glCallList(list);
        glFlush();
        return stub::drawnOf(mode);
    };
    for (const GLfloat width : {1.0f, 3.0f}) {
        const GLenum mode = width > 1 ? GL_TRIANGLES : GL_LINES;
        const size_t corners = width > 1 ? 6 : 2;
        glLineWidth(width);
        const std::vector<stub::DrawnVertex> all = drawnWithin(mode, 20), kept = drawnWithin(mode, 4);
        ASSERT_EQ(all.size(), kSegments * corners);
        EXPECT_LT(kept.size(), all.size() * 3 / 4) << "width " << width;
        size_t next = 0;
        for (size_t k = 0; k < all.size(); k += corners) {
            bool reaches = false;
            for (size_t c = 0; c < corners; ++c) reaches = reaches || std::fabs(all[k + c].position[2]) <= 4.0f;
            const bool drawn = next < kept.size() && kept[next].position[0] == all[k].position[0] &&
                               kept[next].position[2] == all[k].position[2];
            if (drawn) next += corners;
            EXPECT_TRUE(drawn || !reaches) << "segment " << k / corners << " at width " << width;
        }
        EXPECT_EQ(next, kept.size()) << "kept segments in their order";
    }
}

}  // namespace
