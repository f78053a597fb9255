// Kept geometry (kept.hpp): the vertex calls captured between beginKept and endKept, assembled
// once into a WebGL buffer as immediate mode would assemble them with filled polygons, thin lines
// and smooth shading, and drawn from it whenever the state would assemble them the same way.
#include "kept.hpp"

#include <cstring>

#include "calls.hpp"
#include "context.hpp"
#include "draw.hpp"
#include "vertices.hpp"

namespace gl11 {

namespace {

// Plays the captured calls through immediate mode; nothing is recorded while they play.
void play(const CallList& calls) {
    ++context.playDepth;
    for (const Command& k : calls.commands) runVertexCall(k);
    --context.playDepth;
}

// Reads what the captured calls leave in the state and whether they carry colours and texture
// coordinates of their own; false when they give colours or coordinates to only some vertices.
bool describe(KeptGeometry& g) {
    bool vertexSeen = false, colourLate = false, texCoordLate = false;
    const auto& commands = g.calls.commands;
    for (int k = 0; k < static_cast<int>(commands.size()); ++k) {
        const Command& c = commands[k];
        switch (c.op) {
            case Op::begin:
                if (c.words[0].u >= GL_TRIANGLES) g.fills = true;
                if (c.words[0].u >= GL_LINES && c.words[0].u <= GL_LINE_STRIP) g.lines = true;
                break;
            case Op::vertex: vertexSeen = true; break;
            case Op::colour:
                g.lastColour = k;
                (vertexSeen ? colourLate : g.colours) = true;
                break;
            case Op::texCoord:
                g.lastTexCoord = k;
                (vertexSeen ? texCoordLate : g.texCoords) = true;
                break;
            case Op::normal: g.lastNormal = k; break;
            default: break;
        }
    }
    return !(colourLate && !g.colours) && !(texCoordLate && !g.texCoords);
}

// Assembles the captured calls into the geometry's own buffer; nothing of the GL state changes.
void assemble(KeptGeometry& g) {
    const AttributeState saved = context.attributes;
    const bool inside = context.inside;
    context.attributes.shadeModel = GL_SMOOTH;
    context.attributes.polygonFront = GL_FILL;
    context.attributes.lineWidth = 1.0f;
    context.inside = false;
    VertexBatch& batch = context.kept.assembly;
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

// The current value a captured command left behind, copied into `to`.
void leave(const KeptGeometry& g, int command, GLfloat* to, int count) {
    if (command >= 0) std::memcpy(to, g.calls.commands[command].words, sizeof(GLfloat) * count);
}

}  // namespace

unsigned contextSerial() { return context.serial; }

int beginKept() {
    KeptStore& store = context.kept;
    if (store.capturing != 0 || store.count == kMaxKept) return 0;
    store.capturing = ++store.count;
    return store.capturing;
}

void endKept() {
    KeptStore& store = context.kept;
    if (store.capturing == 0) return;
    KeptGeometry& g = store.kept[store.capturing];
    store.capturing = 0;
    if (describe(g)) assemble(g);
}

void drawKept(int kept) {
    if (recordedOnly(Op::drawKept, {wordOf(kept)})) return;
    if (kept < 1 || kept > context.kept.count) return;
    const KeptGeometry& g = context.kept.kept[kept];
    if (!bufferServes(g)) return play(g.calls);
    drawBuffer(g.buffer, g.draws.data(), static_cast<int>(g.draws.size()), g.colours, g.texCoords);
    // The current values are left as the calls would leave them.
    AttributeState& state = context.attributes;
    leave(g, g.lastColour, state.colour, 4);
    leave(g, g.lastTexCoord, state.texCoord, 4);
    leave(g, g.lastNormal, state.normal, 3);
}

}  // namespace gl11
