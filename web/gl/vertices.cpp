// Immediate mode: glBegin/glVertex/glEnd gathered per primitive, assembled on the CPU into
// triangles and lines (quads and strips split as Mesa splits them, flat shading from GL 1.1's
// provoking vertex, the last of each primitive; wide lines as quads), and appended to the batch.
#include <cmath>
#include <cstring>
#include <vector>

#include "context.hpp"

namespace webgl {

namespace {

std::vector<Vertex> primitiveVertices;  // the vertices since glBegin

std::uint8_t colourByte(GLfloat value) {
    if (!(value > 0.0f)) return 0;
    if (value >= 1.0f) return 255;
    return static_cast<std::uint8_t>(std::lround(value * 255.0f));
}

// One triangle of the primitive; with flat shading every corner takes the provoking colour.
void emitTriangle(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& provoking) {
    Vertex* out = batchVertices(Space::object, GL_TRIANGLES, 3);
    out[0] = a;
    out[1] = b;
    out[2] = c;
    if (context.a.shadeModel == GL_FLAT) {
        for (int k = 0; k < 3; ++k) std::memcpy(out[k].colour, provoking.colour, 4);
    }
}

// A wide line: the segment in clip space, cut at the near plane, widened on the screen across
// its minor axis by the line width (x-major lines grow in y, the others in x), as two triangles.
void emitWideLine(const Vertex& from, const Vertex& to, const GLfloat toClip[16]) {
    GLfloat p0[4], p1[4];
    transformPoint(toClip, from.position, p0);
    transformPoint(toClip, to.position, p1);
    const GLfloat d0 = p0[2] + p0[3], d1 = p1[2] + p1[3];  // distance in front of the near plane
    if (d0 < 0 && d1 < 0) return;
    if (d0 < 0 || d1 < 0) {
        const GLfloat t = d0 / (d0 - d1);
        GLfloat* cut = d0 < 0 ? p0 : p1;
        for (int k = 0; k < 4; ++k) cut[k] = p0[k] + t * (p1[k] - p0[k]);
    }
    if (p0[3] <= 0 || p1[3] <= 0) return;
    const GLint* v = context.a.viewport;
    const GLfloat dx = (p1[0] / p1[3] - p0[0] / p0[3]) * v[2];
    const GLfloat dy = (p1[1] / p1[3] - p0[1] / p0[3]) * v[3];
    const GLfloat half = context.a.lineWidth / 2;
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
        if (context.a.shadeModel == GL_FLAT) std::memcpy(corner[k].colour, to.colour, 4);
    }
    Vertex* out = batchVertices(Space::clip, GL_TRIANGLES, 6);
    out[0] = corner[0];
    out[1] = corner[1];
    out[2] = corner[2];
    out[3] = corner[0];
    out[4] = corner[2];
    out[5] = corner[3];
}

// The line segments of the primitive (or of polygon outlines): `pairs` holds index pairs.
void emitLines(const std::vector<Vertex>& v, const int* pairs, int pairCount) {
    if (context.a.lineWidth > 1.5f) {
        GLfloat toClip[16];
        modelViewProjection(toClip);
        for (int k = 0; k < pairCount; ++k) emitWideLine(v[pairs[2 * k]], v[pairs[2 * k + 1]], toClip);
        return;
    }
    Vertex* out = batchVertices(Space::object, GL_LINES, 2 * pairCount);
    for (int k = 0; k < pairCount; ++k) {
        out[2 * k] = v[pairs[2 * k]];
        out[2 * k + 1] = v[pairs[2 * k + 1]];
        if (context.a.shadeModel == GL_FLAT) std::memcpy(out[2 * k].colour, out[2 * k + 1].colour, 4);
    }
}

// One polygon of a filled primitive, by vertex indices in GL's order; `provoking` gives the
// flat colour. Quads split along the diagonal from their second corner to their fourth.
void emitPolygon(const std::vector<Vertex>& v, const int* corners, int count, int provoking) {
    if (context.a.polygonFront == GL_POINT) return;
    if (context.a.polygonFront == GL_LINE) {
        int pairs[2 * 64];
        if (count > 64) count = 64;
        for (int k = 0; k < count; ++k) {
            pairs[2 * k] = corners[k];
            pairs[2 * k + 1] = corners[(k + 1) % count];
        }
        // Each outline edge is flat-shaded by the polygon's provoking vertex, not its own end.
        std::vector<Vertex> copy;
        const std::vector<Vertex>* source = &v;
        if (context.a.shadeModel == GL_FLAT) {
            copy = v;
            for (Vertex& each : copy) std::memcpy(each.colour, v[provoking].colour, 4);
            source = &copy;
        }
        emitLines(*source, pairs, count);
        return;
    }
    const Vertex& p = v[provoking];
    if (count == 4) {
        emitTriangle(v[corners[0]], v[corners[1]], v[corners[3]], p);
        emitTriangle(v[corners[1]], v[corners[2]], v[corners[3]], p);
        return;
    }
    for (int k = 1; k + 1 < count; ++k) emitTriangle(v[corners[0]], v[corners[k]], v[corners[k + 1]], p);
}

void assemble(GLenum mode, const std::vector<Vertex>& v) {
    const int n = static_cast<int>(v.size());
    switch (mode) {
        case GL_LINES:
        case GL_LINE_STRIP:
        case GL_LINE_LOOP: {
            std::vector<int> pairs;
            if (mode == GL_LINES) {
                for (int k = 0; k + 1 < n; k += 2) pairs.insert(pairs.end(), {k, k + 1});
            } else {
                for (int k = 0; k + 1 < n; ++k) pairs.insert(pairs.end(), {k, k + 1});
                if (mode == GL_LINE_LOOP && n > 2) pairs.insert(pairs.end(), {n - 1, 0});
            }
            if (!pairs.empty()) emitLines(v, pairs.data(), static_cast<int>(pairs.size() / 2));
            break;
        }
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
            if (n >= 3) {
                std::vector<int> c(n);
                for (int k = 0; k < n; ++k) c[k] = k;
                emitPolygon(v, c.data(), n, 0);
            }
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
    for (int k = 0; k < 4; ++k) v.colour[k] = colourByte(context.a.colour[k]);
    std::memcpy(v.texCoord, context.a.texCoord, sizeof v.texCoord);
    primitiveVertices.push_back(v);
}

}  // namespace

}  // namespace webgl

using namespace webgl;

extern "C" {

void glBegin(GLenum mode) {
    if (recording(Op::begin, static_cast<GLfloat>(mode))) return;
    if (context.inside) return setError(GL_INVALID_OPERATION);
    if (mode > GL_POLYGON) return setError(GL_INVALID_ENUM);
    context.inside = true;
    context.primitive = mode;
    primitiveVertices.clear();
}

void glEnd(void) {
    if (recording(Op::end)) return;
    if (!context.inside) return setError(GL_INVALID_OPERATION);
    context.inside = false;
    assemble(context.primitive, primitiveVertices);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!recording(Op::vertex, x, y, z)) vertex(x, y, z);
}
void glVertex3d(GLdouble x, GLdouble y, GLdouble z) {
    glVertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    if (recording(Op::colour, red, green, blue, alpha)) return;
    GLfloat* c = context.a.colour;
    c[0] = red;
    c[1] = green;
    c[2] = blue;
    c[3] = alpha;
}
void glColor3f(GLfloat red, GLfloat green, GLfloat blue) { glColor4f(red, green, blue, 1.0f); }
void glColor4fv(const GLfloat* c) { glColor4f(c[0], c[1], c[2], c[3]); }

void glTexCoord4fv(const GLfloat* t) {
    if (recording(Op::texCoord, t[0], t[1], t[2], t[3])) return;
    std::memcpy(context.a.texCoord, t, sizeof context.a.texCoord);
}
void glTexCoord2f(GLfloat s, GLfloat t) {
    const GLfloat all[4] = {s, t, 0.0f, 1.0f};
    glTexCoord4fv(all);
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    if (recording(Op::normal, x, y, z)) return;
    context.a.normal[0] = x;
    context.a.normal[1] = y;
    context.a.normal[2] = z;
}

}  // extern "C"
