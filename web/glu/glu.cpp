// GLU for the browser: gluPerspective and the quadric sphere, over the browser's GL subset.
// The sphere issues the same vertices, in the same order and with the same texture coordinates
// as the desktop's libGLU, so both builds rasterise the same triangles: single-precision caches
// of double sines, s = 1 - i/slices, t = 1 - j/stacks, one quad strip per stack when textured.
// Normals are not issued: the viewer draws without lighting. Each sphere is issued once into
// geometry the GL subset keeps on the GPU, and drawn from there whenever it is asked for again.
#include <GL/glu.h>

#include <cmath>
#include <new>

#include "../gl/kept.hpp"

class GLUquadric {
public:
    GLenum drawStyle = GLU_FILL;
    GLenum normals = GLU_SMOOTH;
    GLboolean textureCoords = GL_FALSE;
    void(GLAPIENTRY* errorCallback)(GLenum) = nullptr;
};

namespace {

constexpr int kCacheSize = 240;
constexpr double kPi = 3.14159265358979323846;

void quadricError(GLUquadric* quadric, GLenum code) {
    if (quadric->errorCallback) quadric->errorCallback(code);
}

// The ring and meridian tables of a sphere, as libGLU keeps them.
struct SphereTables {
    GLfloat sinAround[kCacheSize], cosAround[kCacheSize];  // by slice i
    GLfloat ringRadius[kCacheSize], ringHeight[kCacheSize];  // by stack j
};

void fillTables(SphereTables& t, GLdouble radius, GLint slices, GLint stacks) {
    for (int i = 0; i < slices; ++i) {
        const GLfloat angle = static_cast<GLfloat>(2 * kPi * i / slices);
        t.sinAround[i] = static_cast<GLfloat>(std::sin(angle));
        t.cosAround[i] = static_cast<GLfloat>(std::cos(angle));
    }
    for (int j = 0; j <= stacks; ++j) {
        const GLfloat angle = static_cast<GLfloat>(kPi * j / stacks);
        t.ringRadius[j] = static_cast<GLfloat>(radius * std::sin(angle));
        t.ringHeight[j] = static_cast<GLfloat>(radius * std::cos(angle));
    }
    t.ringRadius[0] = 0;  // the poles come to a point
    t.ringRadius[stacks] = 0;
    t.sinAround[slices] = t.sinAround[0];
    t.cosAround[slices] = t.cosAround[0];
}

void ringVertex(const SphereTables& t, int i, int j) {
    glVertex3f(t.ringRadius[j] * t.sinAround[i], t.ringRadius[j] * t.cosAround[i], t.ringHeight[j]);
}

void texturedRingVertex(const GLUquadric* q, const SphereTables& t, int i, int j, int slices, int stacks) {
    if (q->textureCoords) {
        glTexCoord2f(1 - static_cast<float>(i) / slices, 1 - static_cast<float>(j) / stacks);
    }
    ringVertex(t, i, j);
}

void filledSphere(const GLUquadric* q, const SphereTables& t, GLdouble radius, int slices, int stacks) {
    int start = 0, finish = stacks;
    if (!q->textureCoords) {
        // Untextured, the caps are fans round each pole.
        start = 1;
        finish = stacks - 1;
        glBegin(GL_TRIANGLE_FAN);
        glVertex3f(0.0f, 0.0f, static_cast<GLfloat>(radius));
        for (int i = slices; i >= 0; --i) ringVertex(t, i, 1);
        glEnd();
        glBegin(GL_TRIANGLE_FAN);
        glVertex3f(0.0f, 0.0f, static_cast<GLfloat>(-radius));
        for (int i = 0; i <= slices; ++i) ringVertex(t, i, stacks - 1);
        glEnd();
    }
    for (int j = start; j < finish; ++j) {
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= slices; ++i) {
            texturedRingVertex(q, t, i, j + 1, slices, stacks);
            texturedRingVertex(q, t, i, j, slices, stacks);
        }
        glEnd();
    }
}

void lineSphere(const GLUquadric* q, const SphereTables& t, int slices, int stacks) {
    for (int j = 1; j < stacks; ++j) {  // the rings
        glBegin(GL_LINE_STRIP);
        for (int i = 0; i <= slices; ++i) texturedRingVertex(q, t, i, j, slices, stacks);
        glEnd();
    }
    for (int i = 0; i < slices; ++i) {  // the meridians
        glBegin(GL_LINE_STRIP);
        for (int j = 0; j <= stacks; ++j) {
            if (q->textureCoords) {
                glTexCoord2f(1 - static_cast<float>(i) / slices, 1 - static_cast<float>(j) / stacks);
            }
            glVertex3f(t.sinAround[i] * t.ringRadius[j], t.cosAround[i] * t.ringRadius[j], t.ringHeight[j]);
        }
        glEnd();
    }
}

SphereTables tables;  // the last sphere's, scratch of issueSphere

// Issues a sphere's calls, as libGLU would, for valid arguments.
void issueSphere(const GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks) {
    fillTables(tables, radius, slices, stacks);
    switch (quadric->drawStyle) {
        case GLU_FILL: filledSphere(quadric, tables, radius, slices, stacks); break;
        case GLU_LINE:
        case GLU_SILHOUETTE: lineSphere(quadric, tables, slices, stacks); break;
        case GLU_POINT:
            glBegin(GL_POINTS);
            for (int j = 0; j <= stacks; ++j) {
                for (int i = 0; i < slices; ++i) texturedRingVertex(quadric, tables, i, j, slices, stacks);
            }
            glEnd();
            break;
        default: break;
    }
}

// ---- spheres kept on the GPU --------------------------------------------------------------------

// A sphere as its calls depend on it: the same parameters issue the same vertices.
struct KeptSphere {
    GLdouble radius;
    GLint slices, stacks;
    GLenum drawStyle;
    GLboolean textureCoords;
    int kept;  // the GL subset's kept geometry
};

constexpr int kKeptSpheres = 8;  // spheres beyond these are issued each time

struct SphereCache {
    KeptSphere spheres[kKeptSpheres];
    int count = 0;
    unsigned context = 0;  // the GL context the kept geometry belongs to
};
SphereCache sphereCache;

// The kept geometry of a sphere, captured on first use; 0 when it cannot be kept.
int keptSphere(const GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks) {
    if (sphereCache.context != gl11::contextSerial()) sphereCache = SphereCache{{}, 0, gl11::contextSerial()};
    for (int k = 0; k < sphereCache.count; ++k) {
        const KeptSphere& s = sphereCache.spheres[k];
        if (s.radius == radius && s.slices == slices && s.stacks == stacks && s.drawStyle == quadric->drawStyle &&
            s.textureCoords == quadric->textureCoords) {
            return s.kept;
        }
    }
    if (sphereCache.count == kKeptSpheres) return 0;
    const int kept = gl11::beginKept();
    if (kept == 0) return 0;
    issueSphere(quadric, radius, slices, stacks);
    gl11::endKept();
    sphereCache.spheres[sphereCache.count++] = {radius, slices, stacks, quadric->drawStyle, quadric->textureCoords, kept};
    return kept;
}

}  // namespace

extern "C" {

void GLAPIENTRY gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double radians = fovy / 2 * kPi / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0) return;
    const double cotangent = std::cos(radians) / sine;
    GLdouble m[16] = {cotangent / aspect, 0, 0, 0, 0, cotangent, 0, 0,
                      0, 0, -(zFar + zNear) / deltaZ, -1, 0, 0, -2 * zNear * zFar / deltaZ, 0};
    glMultMatrixd(m);
}

GLUquadric* GLAPIENTRY gluNewQuadric(void) { return new (std::nothrow) GLUquadric; }
void GLAPIENTRY gluDeleteQuadric(GLUquadric* quadric) { delete quadric; }

void GLAPIENTRY gluQuadricCallback(GLUquadric* quadric, GLenum which, _GLUfuncptr function) {
    if (which == GLU_ERROR) {
        quadric->errorCallback = reinterpret_cast<void(GLAPIENTRY*)(GLenum)>(function);
    } else {
        quadricError(quadric, GLU_INVALID_ENUM);
    }
}

void GLAPIENTRY gluQuadricDrawStyle(GLUquadric* quadric, GLenum style) {
    if (style != GLU_POINT && style != GLU_LINE && style != GLU_FILL && style != GLU_SILHOUETTE) {
        return quadricError(quadric, GLU_INVALID_ENUM);
    }
    quadric->drawStyle = style;
}

void GLAPIENTRY gluQuadricNormals(GLUquadric* quadric, GLenum normals) {
    if (normals != GLU_SMOOTH && normals != GLU_FLAT && normals != GLU_NONE) {
        return quadricError(quadric, GLU_INVALID_ENUM);
    }
    quadric->normals = normals;
}

void GLAPIENTRY gluQuadricTexture(GLUquadric* quadric, GLboolean textureCoords) {
    quadric->textureCoords = textureCoords;
}

void GLAPIENTRY gluSphere(GLUquadric* quadric, GLdouble radius, GLint slices, GLint stacks) {
    if (slices >= kCacheSize) slices = kCacheSize - 1;
    if (stacks >= kCacheSize) stacks = kCacheSize - 1;
    if (slices < 2 || stacks < 1 || radius < 0.0) return quadricError(quadric, GLU_INVALID_VALUE);
    const int kept = keptSphere(quadric, radius, slices, stacks);
    if (kept != 0) {
        gl11::drawKept(kept);
    } else {
        issueSphere(quadric, radius, slices, stacks);
    }
}

}  // extern "C"
