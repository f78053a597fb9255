// Display lists as recorded calls: between glNewList and glEndList each call GL compiles into a
// list is stored with its arguments (and a copy of the data it points to), and glCallList plays
// them back through the same entry points, so a list's vertices join the batch like any others.
// Calls GL does not compile (queries, glGen*, the pixel store, glReadPixels, glFlush) run at once.
// Kept geometry (kept.hpp) is captured by the same recorder and assembled once into a buffer.
#include <cstring>
#include <vector>

#include "context.hpp"
#include "kept.hpp"

namespace webgl {

namespace {

struct Command {
    Op op;
    Word words[kCommandWords];
    std::uint32_t dataOffset, dataBytes;  // the command's data in its list's `data`
};

struct DisplayList {
    std::vector<Command> commands;
    std::vector<std::uint8_t> data;  // matrices, images and bitmaps the commands carry
};

// Geometry captured once and drawn from a WebGL buffer (see kept.hpp).
struct KeptGeometry {
    DisplayList calls;                 // what was captured, replayed when the buffer cannot serve
    GLuint buffer = 0;                 // the assembled vertices; 0: always replayed
    std::vector<Draw> draws;           // over `buffer`
    bool fills = false, lines = false;  // it holds filled primitives, line primitives
    bool colours = false;              // colours given before the first vertex: the buffer's are used
    bool texCoords = false;            // texture coordinates given likewise
    const Command* lastColour = nullptr;    // the calls that leave the current values behind
    const Command* lastTexCoord = nullptr;
    const Command* lastNormal = nullptr;
};

constexpr int kMaxKept = 16;
constexpr int kMaxCallDepth = 64;  // GL's limit on lists calling lists

struct ListState {
    std::vector<DisplayList> lists = std::vector<DisplayList>(1);  // by name; 0 unused
    GLuint compiling = 0;              // the list being compiled, 0 = none
    GLenum mode = GL_COMPILE;          // its mode
    DisplayList recorded;              // what it has recorded so far
    int callDepth = 0;                 // nesting of playback
    KeptGeometry kept[kMaxKept + 1];   // slot 0 unused
    int keptCount = 0;
    int keeping = 0;                   // the geometry being captured, 0 = none
    VertexBatch keptAssembly;          // scratch for assembling captured calls
};
ListState lists;

const GLfloat* floats(const Word* words) { return &words[0].f; }

// Runs a recorded call through its entry point (or, for data-carrying calls, the internal
// function that takes the recorded unpack alignment).
void run(const Command& k, const std::uint8_t* data);

void play(const DisplayList& list) {
    if (lists.callDepth >= kMaxCallDepth) return;
    ++lists.callDepth;
    for (const Command& k : list.commands) run(k, list.data.data());
    --lists.callDepth;
}

void playList(GLuint name) {
    if (name != 0 && name < lists.lists.size()) play(lists.lists[name]);
}

void run(const Command& k, const std::uint8_t* data) {
    const Word* w = k.words;
    const GLfloat* f = floats(w);
    const void* bytes = k.dataBytes > 0 ? data + k.dataOffset : nullptr;
    const GLfloat* matrix = static_cast<const GLfloat*>(bytes);
    switch (k.op) {
        case Op::begin: glBegin(w[0].u); break;
        case Op::end: glEnd(); break;
        case Op::vertex: glVertex3f(f[0], f[1], f[2]); break;
        case Op::colour: glColor4f(f[0], f[1], f[2], f[3]); break;
        case Op::texCoord: glTexCoord4fv(f); break;
        case Op::normal: glNormal3f(f[0], f[1], f[2]); break;
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
    }
}

// ---- kept geometry ------------------------------------------------------------------------------

bool isVertexCall(Op op) {
    return op == Op::begin || op == Op::end || op == Op::vertex || op == Op::colour || op == Op::texCoord ||
           op == Op::normal;
}

// Reads what the captured calls need from the state and leave in it; false when they are more
// than vertices and their attributes, or give colours or coordinates to only some vertices.
bool describe(KeptGeometry& g) {
    bool vertexSeen = false, colourLate = false, texCoordLate = false;
    for (const Command& k : g.calls.commands) {
        if (!isVertexCall(k.op)) return false;
        switch (k.op) {
            case Op::begin:
                if (k.words[0].u >= GL_TRIANGLES) g.fills = true;
                if (k.words[0].u >= GL_LINES && k.words[0].u <= GL_LINE_STRIP) g.lines = true;
                break;
            case Op::vertex: vertexSeen = true; break;
            case Op::colour:
                g.lastColour = &k;
                (vertexSeen ? colourLate : g.colours) = true;
                break;
            case Op::texCoord:
                g.lastTexCoord = &k;
                (vertexSeen ? texCoordLate : g.texCoords) = true;
                break;
            case Op::normal: g.lastNormal = &k; break;
            default: break;
        }
    }
    return !(colourLate && !g.colours) && !(texCoordLate && !g.texCoords);
}

// Assembles the captured calls as immediate mode would with filled polygons, thin lines and
// smooth shading, into the geometry's own buffer; nothing of the GL state changes.
void assembleKept(KeptGeometry& g) {
    const AttributeState saved = context.attributes;
    const bool inside = context.inside;
    context.attributes.shadeModel = GL_SMOOTH;
    context.attributes.polygonFront = GL_FILL;
    context.attributes.lineWidth = 1.0f;
    context.inside = false;
    VertexBatch& batch = lists.keptAssembly;
    batch.vertices.clear();
    batch.draws.clear();
    context.keeping = &batch;
    play(g.calls);
    context.keeping = nullptr;
    context.attributes = saved;
    context.inside = inside;
    g.buffer = keepInBuffer(batch.vertices);
    g.draws = batch.draws;
}

// Whether the buffer draws what replaying the calls would draw with the current state.
bool bufferServes(const KeptGeometry& g) {
    const AttributeState& state = context.attributes;
    if (g.buffer == 0 || context.inside) return false;
    if (g.fills && state.polygonFront != GL_FILL) return false;
    if (g.lines && state.lineWidth > 1.5f) return false;
    return !(g.colours && state.shadeModel == GL_FLAT);
}

}  // namespace

bool replaying() { return lists.callDepth > 0; }

bool record(Op op, const Word* words, int wordCount, const void* data, int dataBytes) {
    if (lists.callDepth > 0) return false;
    DisplayList* list = lists.keeping ? &lists.kept[lists.keeping].calls : lists.compiling ? &lists.recorded : nullptr;
    if (!list) return false;
    Command k{};
    k.op = op;
    if (wordCount > 0) std::memcpy(k.words, words, sizeof(Word) * wordCount);
    if (data && dataBytes > 0) {
        k.dataOffset = static_cast<std::uint32_t>(list->data.size());
        k.dataBytes = static_cast<std::uint32_t>(dataBytes);
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        list->data.insert(list->data.end(), bytes, bytes + dataBytes);
    }
    list->commands.push_back(k);
    return lists.keeping != 0 || lists.mode == GL_COMPILE;
}

bool record(Op op, GLfloat a, GLfloat b, GLfloat c, GLfloat d) {
    Word words[4];
    words[0].f = a;
    words[1].f = b;
    words[2].f = c;
    words[3].f = d;
    return record(op, words, 4);
}

bool recordWords(Op op, GLuint a, GLuint b, GLuint c, GLuint d) {
    Word words[4];
    words[0].u = a;
    words[1].u = b;
    words[2].u = c;
    words[3].u = d;
    return record(op, words, 4);
}

int beginKept() {
    if (lists.keeping != 0 || lists.keptCount == kMaxKept) return 0;
    lists.keeping = ++lists.keptCount;
    return lists.keeping;
}

void endKept() {
    if (lists.keeping == 0) return;
    KeptGeometry& g = lists.kept[lists.keeping];
    lists.keeping = 0;
    if (describe(g)) assembleKept(g);
}

void drawKept(int kept) {
    if (recordWords(Op::drawKept, static_cast<GLuint>(kept))) return;
    if (kept < 1 || kept > lists.keptCount) return;
    const KeptGeometry& g = lists.kept[kept];
    if (!bufferServes(g)) return play(g.calls);
    drawBuffer(g.buffer, g.draws.data(), static_cast<int>(g.draws.size()), g.colours, g.texCoords);
    // The current values are left as the calls would leave them.
    AttributeState& state = context.attributes;
    if (g.lastColour) std::memcpy(state.colour, g.lastColour->words, sizeof state.colour);
    if (g.lastTexCoord) std::memcpy(state.texCoord, g.lastTexCoord->words, sizeof state.texCoord);
    if (g.lastNormal) std::memcpy(state.normal, g.lastNormal->words, sizeof state.normal);
}

}  // namespace webgl

using namespace webgl;

extern "C" {

GLuint glGenLists(GLsizei range) {
    if (range < 0) {
        setError(GL_INVALID_VALUE);
        return 0;
    }
    if (range == 0) return 0;
    const GLuint first = static_cast<GLuint>(lists.lists.size());
    lists.lists.resize(first + range);
    return first;
}

void glNewList(GLuint list, GLenum mode) {
    if (list == 0) return setError(GL_INVALID_VALUE);
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) return setError(GL_INVALID_ENUM);
    if (lists.compiling != 0 || context.inside) return setError(GL_INVALID_OPERATION);
    if (list >= lists.lists.size()) lists.lists.resize(list + 1);
    lists.compiling = list;
    lists.mode = mode;
    lists.recorded = DisplayList{};
}

void glEndList(void) {
    if (lists.compiling == 0) return setError(GL_INVALID_OPERATION);
    std::swap(lists.lists[lists.compiling], lists.recorded);
    lists.recorded = DisplayList{};
    lists.compiling = 0;
}

void glCallList(GLuint list) {
    if (recordWords(Op::callList, list)) return;
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
