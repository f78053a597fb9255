// Kept geometry (kept.hpp): vertex calls captured once (from GLU, or a display list's glBegin ...
// glEnd runs), assembled once as immediate mode would assemble them with filled polygons, thin
// lines and smooth shading into one WebGL buffer shared by all kept geometry, and drawn from it
// whenever the state would assemble them the same way. Lines drawn wide are widened in the vertex
// shader from corners kept beside them, so they too are sent only once.
#include "kept.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "calls.hpp"
#include "context.hpp"
#include "draw.hpp"
#include "matrices.hpp"
#include "vertices.hpp"

namespace gl11 {

namespace {

// A display list's glBegin ... glEnd run of fewer vertices stays in the list: the batch takes
// it for less than a draw of its own would cost.
constexpr int kFewestKeptVertices = 32;

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

// Appends the corners of each thin line segment in `draw` as a wide line's quad: from-, from+,
// to+ and from-, to+, to-, each corner carrying the other end and its side in texCoord.
void appendWideCorners(const Draw& draw, std::vector<Vertex>& out) {
    for (int k = draw.first; k + 1 < draw.first + draw.count; k += 2) {
        const Vertex ends[2] = {out[k], out[k + 1]};
        const int end[6] = {0, 0, 1, 0, 1, 1};
        const GLfloat side[6] = {-1, 1, 1, -1, 1, -1};
        for (int c = 0; c < 6; ++c) {
            Vertex v = ends[end[c]];
            std::memcpy(v.texCoord, ends[1 - end[c]].position, 3 * sizeof(GLfloat));
            v.texCoord[3] = side[c];
            out.push_back(v);
        }
    }
}

// Cuts `draws` into pieces of kPiecePrimitives primitives (a wide line's six corners count as
// one: `wide`) and finds the ball around each: its box's centre and the farthest vertex from it.
constexpr int kPiecePrimitives = 4;

void cutIntoPieces(const std::vector<Draw>& draws, bool wide, std::vector<KeptPiece>& pieces) {
    const std::vector<Vertex>& store = context.kept.vertices;
    for (const Draw& d : draws) {
        const int step = kPiecePrimitives * (wide ? 6 : d.mode == GL_LINES ? 2 : 3);
        for (int first = d.first; first < d.first + d.count; first += step) {
            const int count = std::min(step, d.first + d.count - first);
            KeptPiece piece{{d.mode, first, count}, {0, 0, 0}, 0};
            GLfloat low[3], high[3];
            for (int i = 0; i < 3; ++i) low[i] = high[i] = store[first].position[i];
            for (int k = first; k < first + count; ++k) {
                for (int i = 0; i < 3; ++i) {
                    low[i] = std::min(low[i], store[k].position[i]);
                    high[i] = std::max(high[i], store[k].position[i]);
                }
            }
            for (int i = 0; i < 3; ++i) piece.centre[i] = 0.5f * (low[i] + high[i]);
            for (int k = first; k < first + count; ++k) {
                const GLfloat* p = store[k].position;
                const GLfloat dx = p[0] - piece.centre[0], dy = p[1] - piece.centre[1], dz = p[2] - piece.centre[2];
                piece.radius = std::max(piece.radius, std::sqrt(dx * dx + dy * dy + dz * dz));
            }
            pieces.push_back(piece);
        }
    }
}

// Assembles the captured calls into the kept vertices; nothing of the GL state changes.
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

    std::vector<Vertex>& store = context.kept.vertices;
    const int offset = static_cast<int>(store.size());
    store.insert(store.end(), batch.vertices.begin(), batch.vertices.end());
    for (const Draw& d : batch.draws) g.draws.push_back({d.mode, d.first + offset, d.count});
    if (g.lines && !g.fills) {
        for (const Draw& d : g.draws) {
            const int first = static_cast<int>(store.size());
            appendWideCorners(d, store);
            g.wideDraws.push_back({GL_TRIANGLES, first, static_cast<int>(store.size()) - first});
        }
    }
    // Pieces of separate primitives only, and of positions with w = 1 (which have a ball in object
    // coordinates).
    const bool unitW = std::all_of(store.begin() + offset, store.end(), [](const Vertex& v) { return v.position[3] == 1.0f; });
    const bool separate = std::all_of(g.draws.begin(), g.draws.end(),
                                      [](const Draw& d) { return d.mode == GL_LINES || d.mode == GL_TRIANGLES; });
    if (unitW && separate) {
        cutIntoPieces(g.draws, false, g.pieces);
        cutIntoPieces(g.wideDraws, true, g.widePieces);
    }
    g.assembled = true;
}

// How the kept vertices draw what replaying the calls would draw with the current state:
// Space::object, Space::wideLines, or Space::clip when only replaying does.
Space keptSpace(const KeptGeometry& g) {
    const AttributeState& state = context.attributes;
    if (!g.assembled || context.inside) return Space::clip;
    if (g.fills && state.polygonFront != GL_FILL) return Space::clip;
    if (g.colours && state.shadeModel == GL_FLAT) return Space::clip;
    if (!g.lines || state.lineWidth <= 1.5f) return Space::object;
    // Wide lines carry the other end in their texture coordinates: untextured only.
    return g.wideDraws.empty() || state.texture2D ? Space::clip : Space::wideLines;
}

// The current value a captured command left behind, copied into `to`.
void leave(const KeptGeometry& g, int command, GLfloat* to, int count) {
    if (command >= 0) std::memcpy(to, g.calls.commands[command].words, sizeof(GLfloat) * count);
}

// Whether the ball lies wholly outside the clip plane plane·(x, y, z, 1) >= 0 (a row sum of the
// matrix to clip coordinates); a little to spare for rounding.
bool beyond(const GLfloat plane[4], const KeptPiece& piece) {
    const GLfloat value = plane[0] * piece.centre[0] + plane[1] * piece.centre[1] + plane[2] * piece.centre[2] + plane[3];
    const GLfloat length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
    return value < -(1.01f * piece.radius * length + 1e-4f * (std::fabs(plane[3]) + 1.0f));
}

// The runs of `pieces` that may reach the depth range with the current matrices, in order: a
// primitive wholly beyond the near or the far plane draws no fragment, so leaving it out changes
// no pixel. A WebGL draw costs more than the primitives of a short gap, so gaps shorter than
// kShortestGap pieces are drawn through (a grid circle's far arc), while longer ones (the far half
// of each of the sphere's rings, the far side's grid numbers) are left out.
constexpr int kShortestGap = 8;

const std::vector<Draw>& piecesInDepth(const std::vector<KeptPiece>& pieces) {
    std::vector<Draw>& runs = context.kept.inDepth;
    runs.clear();
    GLfloat m[16];
    modelViewProjection(m);
    GLfloat nearPlane[4], farPlane[4];  // w + z >= 0 and w - z >= 0
    for (int i = 0; i < 4; ++i) {
        nearPlane[i] = m[4 * i + 3] + m[4 * i + 2];
        farPlane[i] = m[4 * i + 3] - m[4 * i + 2];
    }
    int gap = 0;    // pieces left out since the last run
    int next = -1;  // where a piece must start to continue the last run and its gap unbroken
    for (const KeptPiece& piece : pieces) {
        const Draw& d = piece.primitives;
        Draw* last = runs.empty() ? nullptr : &runs.back();
        const bool continues = last && d.mode == last->mode && d.first == next;
        if (beyond(nearPlane, piece) || beyond(farPlane, piece)) {
            next = continues ? d.first + d.count : -1;
            ++gap;
            continue;
        }
        if (continues && gap < kShortestGap) {
            last->count = d.first + d.count - last->first;  // a short gap is drawn through
        } else {
            runs.push_back(d);
        }
        next = d.first + d.count;
        gap = 0;
    }
    return runs;
}

// New kept geometry of the given calls, assembled; its number.
int keep(CallList&& calls) {
    std::vector<KeptGeometry>& kept = context.kept.kept;
    kept.emplace_back();
    KeptGeometry& g = kept.back();
    g.calls = std::move(calls);
    if (describe(g)) assemble(g);
    return static_cast<int>(kept.size()) - 1;
}

}  // namespace

unsigned contextSerial() { return context.serial; }

int beginKept() {
    KeptStore& store = context.kept;
    if (store.capturing != 0) return 0;
    store.kept.emplace_back();
    store.capturing = static_cast<int>(store.kept.size()) - 1;
    return store.capturing;
}

void endKept() {
    KeptStore& store = context.kept;
    if (store.capturing == 0) return;
    KeptGeometry& g = store.kept[store.capturing];
    store.capturing = 0;
    if (describe(g)) assemble(g);
}

void keepListRuns(CallList& list) {
    std::vector<Command>& commands = list.commands;
    CallList kept;  // the list's commands, each kept run as one call; the data stays with the list
    const int n = static_cast<int>(commands.size());
    for (int k = 0; k < n; ++k) {
        int end = k, vertices = 0;
        if (commands[k].op == Op::begin) {
            while (end + 1 < n && isVertexCall(commands[end + 1].op) && commands[end + 1].op != Op::begin) {
                ++end;
                vertices += commands[end].op == Op::vertex;
                if (commands[end].op == Op::end) break;
            }
        }
        if (end == k || commands[end].op != Op::end || vertices < kFewestKeptVertices) {
            kept.commands.push_back(commands[k]);
            continue;
        }
        CallList run;
        run.commands.assign(commands.begin() + k, commands.begin() + end + 1);
        appendCall(kept, Op::drawKept, {wordOf(keep(std::move(run)))});
        k = end;
    }
    commands.swap(kept.commands);
}

void drawKept(int kept) {
    if (recordedOnly(Op::drawKept, {wordOf(kept)})) return;
    KeptStore& store = context.kept;
    if (kept < 1 || kept >= static_cast<int>(store.kept.size()) || kept == store.capturing) return;
    const KeptGeometry& g = store.kept[kept];
    const Space space = keptSpace(g);
    if (space == Space::clip) return play(g.calls);
    if (store.uploaded != store.vertices.size()) {
        uploadBuffer(store.buffer, store.vertices);
        store.uploaded = store.vertices.size();
    }
    const std::vector<KeptPiece>& pieces = space == Space::wideLines ? g.widePieces : g.pieces;
    const std::vector<Draw>& draws = !pieces.empty() ? piecesInDepth(pieces)
                                     : space == Space::wideLines ? g.wideDraws : g.draws;
    drawBuffer(store.buffer, space, draws.data(), static_cast<int>(draws.size()), g.colours,
               g.texCoords || space == Space::wideLines);
    // The current values are left as the calls would leave them.
    AttributeState& state = context.attributes;
    leave(g, g.lastColour, state.colour, 4);
    leave(g, g.lastTexCoord, state.texCoord, 4);
    leave(g, g.lastNormal, state.normal, 3);
}

}  // namespace gl11
