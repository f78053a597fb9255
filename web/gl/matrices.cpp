// The three matrix stacks. Matrices are single precision and built as Mesa builds them, so the
// matrices the viewer reads back are the desktop's to the last bit in the common cases. A matrix
// change never draws the batch: its vertices were put through the matrices as they were assembled.
#include "matrices.hpp"

#include <cmath>
#include <cstring>

#include "calls.hpp"

namespace gl11 {

namespace {

GLfloat* top() { return topOf(currentStack()); }

// a = a x b, column-major.
void multiply(GLfloat* a, const GLfloat* b) {
    GLfloat product[16];
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            product[column * 4 + row] = a[row] * b[column * 4] + a[4 + row] * b[column * 4 + 1] +
                                        a[8 + row] * b[column * 4 + 2] + a[12 + row] * b[column * 4 + 3];
        }
    }
    std::memcpy(a, product, sizeof product);
}

}  // namespace

MatrixStack& currentStack() {
    switch (context.attributes.matrixMode) {
        case GL_PROJECTION: return context.projection;
        case GL_TEXTURE: return context.texture;
        default: return context.modelView;
    }
}

void multiplyCurrentMatrix(const GLfloat m[16]) { multiply(top(), m); }

bool textureMatrixIsIdentity() { return std::memcmp(topOf(context.texture), kIdentity.m, sizeof kIdentity.m) == 0; }

void setMatrixMode(GLenum mode) {
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) return setError(GL_INVALID_ENUM);
    context.attributes.matrixMode = mode;
}

void ortho(GLfloat l, GLfloat r, GLfloat b, GLfloat t, GLfloat n, GLfloat f) {
    if (l == r || b == t || n == f) return setError(GL_INVALID_VALUE);
    GLfloat m[16];
    std::memcpy(m, kIdentity.m, sizeof m);
    m[0] = 2.0f / (r - l);
    m[12] = -(r + l) / (r - l);
    m[5] = 2.0f / (t - b);
    m[13] = -(t + b) / (t - b);
    m[10] = -2.0f / (f - n);
    m[14] = -(f + n) / (f - n);
    multiplyCurrentMatrix(m);
}

void modelViewProjection(GLfloat out[16]) {
    std::memcpy(out, topOf(context.projection), 16 * sizeof(GLfloat));
    multiply(out, topOf(context.modelView));
}

void transformPoint(const GLfloat m[16], const GLfloat in[4], GLfloat out[4]) {
    for (int row = 0; row < 4; ++row) {
        out[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row] * in[3];
    }
}

}  // namespace gl11

using namespace gl11;

extern "C" {

void glMatrixMode(GLenum mode) {
    if (!recordedOnly(Op::matrixMode, {wordOf(mode)})) setMatrixMode(mode);
}

void glLoadIdentity(void) {
    if (recordedOnly(Op::loadIdentity)) return;
    std::memcpy(top(), kIdentity.m, sizeof kIdentity.m);
}

void glLoadMatrixf(const GLfloat* m) {
    if (recordedOnly(Op::loadMatrix, {}, m, 16 * sizeof(GLfloat))) return;
    std::memcpy(top(), m, 16 * sizeof(GLfloat));
}

void glMultMatrixd(const GLdouble* m) {
    GLfloat f[16];
    for (int k = 0; k < 16; ++k) f[k] = static_cast<GLfloat>(m[k]);
    if (!recordedOnly(Op::multiplyMatrix, {}, f, sizeof f)) multiplyCurrentMatrix(f);
}

void glPushMatrix(void) {
    if (recordedOnly(Op::pushMatrix)) return;
    MatrixStack& s = currentStack();
    if (s.top + 1 >= s.capacity) return setError(GL_STACK_OVERFLOW);
    s.items[s.top + 1] = s.items[s.top];
    ++s.top;
}

void glPopMatrix(void) {
    if (recordedOnly(Op::popMatrix)) return;
    MatrixStack& s = currentStack();
    if (s.top == 0) return setError(GL_STACK_UNDERFLOW);
    --s.top;
}

// Mesa's rotation: an exact matrix about a coordinate axis, the general formula otherwise.
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    if (recordedOnly(Op::rotate, {wordOf(angle), wordOf(x), wordOf(y), wordOf(z)})) return;
    const GLfloat radians = angle * static_cast<GLfloat>(M_PI / 180.0);
    const GLfloat s = std::sin(radians), c = std::cos(radians);
    GLfloat m[16];
    std::memcpy(m, kIdentity.m, sizeof m);
    bool optimised = false;
    if (x == 0.0f) {
        if (y == 0.0f) {
            if (z != 0.0f) {  // about z
                optimised = true;
                m[0] = c;
                m[5] = c;
                m[1] = z < 0.0f ? -s : s;
                m[4] = z < 0.0f ? s : -s;
            }
        } else if (z == 0.0f) {  // about y
            optimised = true;
            m[0] = c;
            m[10] = c;
            m[8] = y < 0.0f ? -s : s;
            m[2] = y < 0.0f ? s : -s;
        }
    } else if (y == 0.0f && z == 0.0f) {  // about x
        optimised = true;
        m[5] = c;
        m[10] = c;
        m[6] = x < 0.0f ? -s : s;
        m[9] = x < 0.0f ? s : -s;
    }
    if (!optimised) {
        const GLfloat length = std::sqrt(x * x + y * y + z * z);
        if (length <= 1.0e-4f) return;  // no axis: no rotation
        x /= length;
        y /= length;
        z /= length;
        const GLfloat xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
        const GLfloat xs = x * s, ys = y * s, zs = z * s, oneMinusC = 1.0f - c;
        m[0] = (oneMinusC * xx) + c;
        m[4] = (oneMinusC * xy) - zs;
        m[8] = (oneMinusC * zx) + ys;
        m[1] = (oneMinusC * xy) + zs;
        m[5] = (oneMinusC * yy) + c;
        m[9] = (oneMinusC * yz) - xs;
        m[2] = (oneMinusC * zx) - ys;
        m[6] = (oneMinusC * yz) + xs;
        m[10] = (oneMinusC * zz) + c;
    }
    multiplyCurrentMatrix(m);
}

void glRotated(GLdouble angle, GLdouble x, GLdouble y, GLdouble z) {
    glRotatef(static_cast<GLfloat>(angle), static_cast<GLfloat>(x), static_cast<GLfloat>(y),
              static_cast<GLfloat>(z));
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    if (recordedOnly(Op::translate, {wordOf(x), wordOf(y), wordOf(z)})) return;
    GLfloat* m = top();
    for (int row = 0; row < 4; ++row) m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z) {
    glTranslatef(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble near, GLdouble far) {
    const GLfloat f[6] = {static_cast<GLfloat>(left), static_cast<GLfloat>(right), static_cast<GLfloat>(bottom),
                          static_cast<GLfloat>(top),  static_cast<GLfloat>(near),  static_cast<GLfloat>(far)};
    if (recordedOnly(Op::ortho, {wordOf(f[0]), wordOf(f[1]), wordOf(f[2]), wordOf(f[3]), wordOf(f[4]), wordOf(f[5])})) return;
    ortho(f[0], f[1], f[2], f[3], f[4], f[5]);
}

}  // extern "C"
