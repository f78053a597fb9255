// Display lists as recorded calls: between glNewList and glEndList each call GL compiles into a
// list is stored with its arguments (and a copy of the data it points to, calls.hpp), and
// glCallList plays them back through the same entry points, so a list's vertices join the batch
// like any others; a long glBegin ... glEnd run is kept on the GPU instead (kept.hpp) and drawn
// from there. Calls GL does not compile (queries, glGen*, the pixel store, glReadPixels, glFlush)
// run at once.
#include <cstring>
#include <vector>

#include "calls.hpp"
#include "context.hpp"
#include "kept.hpp"
#include "matrices.hpp"
#include "pixels.hpp"
#include "textures.hpp"
#include "vertices.hpp"

namespace gl11 {

namespace {

const GLfloat* floats(const Word* words) { return &words[0].f; }

// Runs a recorded call through its entry point (or, for data-carrying calls, the internal
// function that takes the recorded unpack alignment).
void run(const Command& k, const std::uint8_t* data);

void play(const CallList& list) {
    if (context.playDepth >= kMaxCallDepth) return;
    ++context.playDepth;
    for (const Command& k : list.commands) run(k, list.data.data());
    --context.playDepth;
}

void playList(GLuint name) {
    if (name != 0 && name < context.lists.lists.size()) play(context.lists.lists[name]);
}

void run(const Command& k, const std::uint8_t* data) {
    const Word* w = k.words;
    const GLfloat* f = floats(w);
    const void* bytes = k.dataBytes > 0 ? data + k.dataOffset : nullptr;
    const GLfloat* matrix = static_cast<const GLfloat*>(bytes);
    if (isVertexCall(k.op)) return runVertexCall(k);
    switch (k.op) {
        case Op::lineWidth: glLineWidth(f[0]); break;
        case Op::shadeModel: glShadeModel(w[0].u); break;
        case Op::enable: glEnable(w[0].u); break;
        case Op::disable: glDisable(w[0].u); break;
        case Op::callList: playList(w[0].u); break;
        case Op::matrixMode: glMatrixMode(w[0].u); break;
        case Op::loadIdentity: glLoadIdentity(); break;
        case Op::loadMatrix: glLoadMatrixf(matrix); break;
        case Op::multiplyMatrix: multiplyCurrentMatrix(matrix); break;
        case Op::pushMatrix: glPushMatrix(); break;
        case Op::popMatrix: glPopMatrix(); break;
        case Op::rotate: glRotatef(f[0], f[1], f[2], f[3]); break;
        case Op::translate: glTranslatef(f[0], f[1], f[2]); break;
        case Op::ortho: ortho(f[0], f[1], f[2], f[3], f[4], f[5]); break;
        case Op::bindTexture: glBindTexture(w[0].u, w[1].u); break;
        case Op::texParameter: glTexParameteri(w[0].u, w[1].u, w[2].i); break;
        case Op::texBorderColour: glTexParameterfv(w[0].u, GL_TEXTURE_BORDER_COLOR, f + 1); break;
        case Op::texEnv: glTexEnvi(w[0].u, w[1].u, w[2].i); break;
        case Op::texImage:
            texImage(w[0].u, w[1].i, w[2].i, w[3].i, w[4].i, w[5].i, w[6].u, w[7].u, bytes, w[8].i);
            break;
        case Op::texSubImage:
            texSubImage(w[0].u, w[1].i, w[2].i, w[3].i, w[4].i, w[5].i, w[6].u, w[7].u, bytes, w[8].i);
            break;
        case Op::clearColour: glClearColor(f[0], f[1], f[2], f[3]); break;
        case Op::clear: glClear(w[0].u); break;
        case Op::alphaFunction: glAlphaFunc(w[0].u, w[1].f); break;
        case Op::scissor: glScissor(w[0].i, w[1].i, w[2].i, w[3].i); break;
        case Op::viewport: glViewport(w[0].i, w[1].i, w[2].i, w[3].i); break;
        case Op::polygonMode: glPolygonMode(w[0].u, w[1].u); break;
        case Op::frontFace: glFrontFace(w[0].u); break;
        case Op::pushAttributes: glPushAttrib(w[0].u); break;
        case Op::popAttributes: glPopAttrib(); break;
        case Op::rasterPosition: glRasterPos3d(f[0], f[1], f[2]); break;
        case Op::bitmap:
            bitmap(w[0].i, w[1].i, f[2], f[3], f[4], f[5], static_cast<const GLubyte*>(bytes), w[6].i);
            break;
        case Op::readBuffer: glReadBuffer(w[0].u); break;
        case Op::drawKept: drawKept(w[0].i); break;
        default: break;
    }
}

}  // namespace

}  // namespace gl11

using namespace gl11;

extern "C" {

GLuint glGenLists(GLsizei range) {
    if (range < 0) {
        setError(GL_INVALID_VALUE);
        return 0;
    }
    if (range == 0) return 0;
    const GLuint first = static_cast<GLuint>(context.lists.lists.size());
    context.lists.lists.resize(first + range);
    return first;
}

void glNewList(GLuint list, GLenum mode) {
    if (list == 0) return setError(GL_INVALID_VALUE);
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) return setError(GL_INVALID_ENUM);
    if (context.lists.compiling != 0 || context.inside) return setError(GL_INVALID_OPERATION);
    if (list >= context.lists.lists.size()) context.lists.lists.resize(list + 1);
    context.lists.compiling = list;
    context.lists.mode = mode;
    context.lists.recorded = CallList{};
}

void glEndList(void) {
    if (context.lists.compiling == 0) return setError(GL_INVALID_OPERATION);
    keepListRuns(context.lists.recorded);
    std::swap(context.lists.lists[context.lists.compiling], context.lists.recorded);
    context.lists.recorded = CallList{};
    context.lists.compiling = 0;
}

void glCallList(GLuint list) {
    if (recordedOnly(Op::callList, {wordOf(list)})) return;
    playList(list);
}

void glCallLists(GLsizei count, GLenum type, const GLvoid* names) {
    if (count < 0) return setError(GL_INVALID_VALUE);
    if (type != GL_UNSIGNED_INT && type != GL_UNSIGNED_BYTE) return setError(GL_INVALID_ENUM);
    for (GLsizei k = 0; k < count; ++k) {
        const GLuint name = type == GL_UNSIGNED_INT ? static_cast<const GLuint*>(names)[k]
                                                    : static_cast<const GLubyte*>(names)[k];
        glCallList(name);
    }
}

}  // extern "C"
