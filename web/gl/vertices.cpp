// Immediate mode: glBegin/glVertex/glEnd gathered per primitive, put through the matrices and
// assembled on the CPU into triangles and lines (quads and strips split as Mesa splits them, flat
// shading from GL 1.1's provoking vertex, the last of each primitive; wide lines as quads), and
// appended to the batch, which therefore outlives matrix changes. Geometry being kept stays in
// object space. Nothing here allocates once the vertex arrays have grown to a frame's size.
#include "vertices.hpp"

#include <cmath>
#include <cstring>
#include <vector>

#include "context.hpp"
#include "draw.hpp"
#include "matrices.hpp"

namespace gl11 {

namespace {

bool flatShading() { return context.attributes.shadeModel == GL_FLAT; }

// One triangle of the primitive; with flat shading every corner takes the provoking colour.
void emitTriangle(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& provoking) {
    Vertex* out = batchVertices(Space::clip, GL_TRIANGLES, 3);
    out[0] = a;
    out[1] = b;
    out[2] = c;
    if (flatShading()) {
        for (int k = 0; k < 3; ++k) std::memcpy(out[k].colour, provoking.colour, 4);
    }
}

// A wide line: the segment (in clip space), cut at the near plane, widened on the screen across
// its minor axis by the line width (x-major lines grow in y, the others in x), as two triangles.
void emitWideLine(const Vertex& from, const Vertex& to, const std::uint8_t flat[4]) {
    GLfloat p0[4], p1[4];
    std::memcpy(p0, from.position, sizeof p0);
    std::memcpy(p1, to.position, sizeof p1);
    const GLfloat d0 = p0[2] + p0[3], d1 = p1[2] + p1[3];  // distance in front of the near plane
    if (d0 < 0 && d1 < 0) return;
    if (d0 < 0 || d1 < 0) {
        const GLfloat t = d0 / (d0 - d1);
        GLfloat* cut = d0 < 0 ? p0 : p1;
        for (int k = 0; k < 4; ++k) cut[k] = p0[k] + t * (p1[k] - p0[k]);
    }
    if (p0[3] <= 0 || p1[3] <= 0) return;
    const GLint* v = context.attributes.viewport;
    const GLfloat dx = (p1[0] / p1[3] - p0[0] / p0[3]) * v[2];
    const GLfloat dy = (p1[1] / p1[3] - p0[1] / p0[3]) * v[3];
    const GLfloat half = context.attributes.lineWidth / 2;
    // Half the width in normalised device units along the minor axis.
    GLfloat offset[2] = {0, 0};
    if (std::fabs(dx) >= std::fabs(dy)) {
        offset[1] = v[3] > 0 ? 2 * half / v[3] : 0;
    } else {
        offset[0] = v[2] > 0 ? 2 * half / v[2] : 0;
    }
    Vertex corner[4] = {from, from, to, to};
    const GLfloat* ends[4] = {p0, p0, p1, p1};
    const GLfloat sides[4] = {-1, 1, 1, -1};
    for (int k = 0; k < 4; ++k) {
        const GLfloat* p = ends[k];
        corner[k].position[0] = p[0] + sides[k] * offset[0] * p[3];
        corner[k].position[1] = p[1] + sides[k] * offset[1] * p[3];
        corner[k].position[2] = p[2];
        corner[k].position[3] = p[3];
        if (flat) std::memcpy(corner[k].colour, flat, 4);
    }
    Vertex* out = batchVertices(Space::clip, GL_TRIANGLES, 6);
    out[0] = corner[0];
    out[1] = corner[1];
    out[2] = corner[2];
    out[3] = corner[0];
    out[4] = corner[2];
    out[5] = corner[3];
}

// The segments of a line primitive or of a polygon's outline, by vertex indices.
struct Segments {
    GLenum mode;         // GL_LINES, GL_LINE_STRIP, GL_LINE_LOOP, or GL_POLYGON for an outline
    int count;           // segments
    const int* corners;  // an outline's corners in order (null: the vertices in order)
    int provoking;       // an outline's provoking vertex

    int vertex(int k) const { return corners ? corners[k] : k; }
    int from(int k) const { return mode == GL_LINES ? 2 * k : vertex(k); }
    int to(int k) const {
        if (mode == GL_LINES) return 2 * k + 1;
        if (mode == GL_LINE_STRIP) return k + 1;
        return vertex((k + 1) % count);  // loops and outlines close
    }
    // Under flat shading a line segment takes its second vertex's colour, an outline the polygon's.
    int flatColour(int k) const { return mode == GL_POLYGON ? provoking : to(k); }
};

void emitLines(const std::vector<Vertex>& v, const Segments& s) {
    if (s.count <= 0) return;
    const bool flat = flatShading();
    if (context.attributes.lineWidth > 1.5f) {
        for (int k = 0; k < s.count; ++k) emitWideLine(v[s.from(k)], v[s.to(k)], flat ? v[s.flatColour(k)].colour : nullptr);
        return;
    }
    Vertex* out = batchVertices(Space::clip, GL_LINES, 2 * s.count);
    for (int k = 0; k < s.count; ++k) {
        out[2 * k] = v[s.from(k)];
        out[2 * k + 1] = v[s.to(k)];
        if (flat) {
            std::memcpy(out[2 * k].colour, v[s.flatColour(k)].colour, 4);
            std::memcpy(out[2 * k + 1].colour, v[s.flatColour(k)].colour, 4);
        }
    }
}

// One polygon of a filled primitive, by vertex indices in GL's order (null: 0, 1, ... count-1);
// `provoking` gives the flat colour. Quads split along the diagonal from their second corner
// to their fourth.
void emitPolygon(const std::vector<Vertex>& v, const int* corners, int count, int provoking) {
    const GLenum mode = context.attributes.polygonFront;
    if (mode == GL_POINT) return;
    auto corner = [&](int k) { return corners ? corners[k] : k; };
    if (mode == GL_LINE) return emitLines(v, Segments{GL_POLYGON, count, corners, provoking});
    const Vertex& p = v[provoking];
    if (count == 4) {
        emitTriangle(v[corner(0)], v[corner(1)], v[corner(3)], p);
        emitTriangle(v[corner(1)], v[corner(2)], v[corner(3)], p);
        return;
    }
    for (int k = 1; k + 1 < count; ++k) emitTriangle(v[corner(0)], v[corner(k)], v[corner(k + 1)], p);
}

// The primitive's positions through projection x modelview, its texture coordinates through the
// texture matrix: what the batch keeps.
void toClipSpace(std::vector<Vertex>& vertices) {
    GLfloat toClip[16];
    modelViewProjection(toClip);
    const bool textureMatrix = !textureMatrixIsIdentity();
    for (Vertex& v : vertices) {
        const GLfloat position[4] = {v.position[0], v.position[1], v.position[2], v.position[3]};
        transformPoint(toClip, position, v.position);
        if (textureMatrix) {
            const GLfloat texCoord[4] = {v.texCoord[0], v.texCoord[1], v.texCoord[2], v.texCoord[3]};
            transformPoint(topOf(context.texture), texCoord, v.texCoord);
        }
    }
}

void assemble(GLenum mode, const std::vector<Vertex>& v) {
    const int n = static_cast<int>(v.size());
    switch (mode) {
        case GL_LINES: emitLines(v, Segments{GL_LINES, n / 2, nullptr, 0}); break;
        case GL_LINE_STRIP: emitLines(v, Segments{GL_LINE_STRIP, n - 1, nullptr, 0}); break;
        case GL_LINE_LOOP:  // two vertices make one segment, not a segment there and back
            emitLines(v, n > 2 ? Segments{GL_LINE_LOOP, n, nullptr, 0} : Segments{GL_LINE_STRIP, n - 1, nullptr, 0});
            break;
        case GL_TRIANGLES:
            for (int k = 0; k + 2 < n; k += 3) {
                const int c[3] = {k, k + 1, k + 2};
                emitPolygon(v, c, 3, k + 2);
            }
            break;
        case GL_TRIANGLE_STRIP:
            for (int k = 0; k + 2 < n; ++k) {
                const int even[3] = {k, k + 1, k + 2}, odd[3] = {k + 1, k, k + 2};
                emitPolygon(v, k % 2 == 0 ? even : odd, 3, k + 2);
            }
            break;
        case GL_TRIANGLE_FAN:
            for (int k = 1; k + 1 < n; ++k) {
                const int c[3] = {0, k, k + 1};
                emitPolygon(v, c, 3, k + 1);
            }
            break;
        case GL_QUADS:
            for (int k = 0; k + 3 < n; k += 4) {
                const int c[4] = {k, k + 1, k + 2, k + 3};
                emitPolygon(v, c, 4, k + 3);
            }
            break;
        case GL_QUAD_STRIP:
            for (int k = 0; k + 3 < n; k += 2) {
                const int c[4] = {k + 2, k, k + 1, k + 3};
                emitPolygon(v, c, 4, k + 3);
            }
            break;
        case GL_POLYGON:
            if (n >= 3) emitPolygon(v, nullptr, n, 0);
            break;
        default:  // points are not drawn by this subset
            break;
    }
}

void vertex(GLfloat x, GLfloat y, GLfloat z) {
    if (!context.inside) return;  // GL ignores vertices outside glBegin/glEnd
    Vertex v;
    v.position[0] = x;
    v.position[1] = y;
    v.position[2] = z;
    v.position[3] = 1;
    for (int k = 0; k < 4; ++k) v.colour[k] = colourByte(context.attributes.colour[k]);
    std::memcpy(v.texCoord, context.attributes.texCoord, sizeof v.texCoord);
    context.primitiveVertices.push_back(v);
}

}  // namespace

void runVertexCall(const Command& call) {
    const Word* w = call.words;
    switch (call.op) {
        case Op::begin: glBegin(w[0].u); break;
        case Op::end: glEnd(); break;
        case Op::vertex: glVertex3f(w[0].f, w[1].f, w[2].f); break;
        case Op::colour: glColor4f(w[0].f, w[1].f, w[2].f, w[3].f); break;
        case Op::texCoord: glTexCoord4fv(&w[0].f); break;
        case Op::normal: glNormal3f(w[0].f, w[1].f, w[2].f); break;
        default: break;
    }
}

}  // namespace gl11

using namespace gl11;

extern "C" {

void glBegin(GLenum mode) {
    if (recordedOnly(Op::begin, {wordOf(mode)})) return;
    if (context.inside) return setError(GL_INVALID_OPERATION);
    if (mode > GL_POLYGON) return setError(GL_INVALID_ENUM);
    context.inside = true;
    context.primitive = mode;
    context.primitiveVertices.clear();
}

void glEnd(void) {
    if (recordedOnly(Op::end)) return;
    if (!context.inside) return setError(GL_INVALID_OPERATION);
    context.inside = false;
    if (!context.keeping) toClipSpace(context.primitiveVertices);
    assemble(context.primitive, context.primitiveVertices);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!recordedOnly(Op::vertex, {wordOf(x), wordOf(y), wordOf(z)})) vertex(x, y, z);
}
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
    glVertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    if (recordedOnly(Op::colour, {wordOf(red), wordOf(green), wordOf(blue), wordOf(alpha)})) return;
    GLfloat* c = context.attributes.colour;
    c[0] = red;
    c[1] = green;
    c[2] = blue;
    c[3] = alpha;
}
void glColor3f(GLfloat red, GLfloat green, GLfloat blue) { glColor4f(red, green, blue, 1.0f); }
void glColor4fv(const GLfloat* c) { glColor4f(c[0], c[1], c[2], c[3]); }

void glTexCoord4fv(const GLfloat* t) {
    if (recordedOnly(Op::texCoord, {wordOf(t[0]), wordOf(t[1]), wordOf(t[2]), wordOf(t[3])})) return;
    std::memcpy(context.attributes.texCoord, t, sizeof context.attributes.texCoord);
}
void glTexCoord2f(GLfloat s, GLfloat t) {
    const GLfloat all[4] = {s, t, 0.0f, 1.0f};
    glTexCoord4fv(all);
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    if (recordedOnly(Op::normal, {wordOf(x), wordOf(y), wordOf(z)})) return;
    context.attributes.normal[0] = x;
    context.attributes.normal[1] = y;
    context.attributes.normal[2] = z;
}

}  // extern "C"
