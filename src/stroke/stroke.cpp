#include "stroke/stroke.hpp"

#include <GL/gl.h>

#include <cmath>

#include "screen/text.hpp"
#include "model/state.hpp"
#include "stroke/strokefont.hpp"

namespace stroke {

// --- geometry ----------------------------------------------------------------------------------

StrokeAxes strokeAxes(const double angles[3], double size) {
    const double toRadians = std::atan2(1.0, 1.0) / 45.0;
    const double ca = std::cos(angles[0] * toRadians), sa = std::sin(angles[0] * toRadians);
    const double cb = std::cos(angles[1] * toRadians), sb = std::sin(angles[1] * toRadians);
    const double cc = std::cos(angles[2] * toRadians), sc = std::sin(angles[2] * toRadians);
    // First and third columns of Rz(a3)·Ry(a2)·Rx(a1).
    const StrokePoint alongX = {cc * cb, sc * cb, -sb};
    const StrokePoint alongZ = {cc * sb * ca + sc * sa, sc * sb * ca - cc * sa, cb * ca};
    const double up = -1.5 * size;
    return {{size * alongX.x, size * alongX.y, size * alongX.z},
            {up * alongZ.x, up * alongZ.y, up * alongZ.z}};
}

StrokePoint strokeCellOrigin(const double position[3], const StrokeAxes& axes, int k,
                             float lineWidth) {
    const double shift = (1.0 - static_cast<double>(lineWidth)) * 0.1;
    const double along = 1.5 * (k - 1) + 1.0 + shift;
    return {position[0] + along * axes.u.x + 0.5 * axes.v.x,
            position[1] + along * axes.u.y + 0.5 * axes.v.y,
            position[2] + along * axes.u.z + 0.5 * axes.v.z};
}

namespace {

// Glyph point (x, y) of the box placed in a cell.
StrokePoint glyphPoint(const StrokePoint& origin, const StrokeAxes& axes, int x, int y) {
    const double s = x / 20.0, t = y / 20.0;
    return {origin.x + s * axes.u.x + t * axes.v.x, origin.y + s * axes.u.y + t * axes.v.y,
            origin.z + s * axes.u.z + t * axes.v.z};
}

}  // namespace

int strokeTextSegments(const char* text, const double position[3], const double angles[3],
                       double size, float lineWidth, StrokeSink sink, void* context) {
    const StrokeAxes axes = strokeAxes(angles, size);
    int segments = 0;
    for (int k = 1; k <= kStrokeTextLength; ++k) {
        const char c = text[k - 1];
        if (c == '\0') break;
        const int g = strokeGlyphOf(c);
        if (g == 0) continue;  // no glyph: the cell stays blank
        const StrokePoint origin = strokeCellOrigin(position, axes, k, lineWidth);
        const int n = strokeEntry(g);
        for (int j = 2; j <= n; ++j) {
            if (strokeEntry(g + 3 * j - 2) != kPenDraw) continue;
            const StrokeSegment segment = {
                glyphPoint(origin, axes, strokeEntry(g + 3 * j - 4), strokeEntry(g + 3 * j - 3)),
                glyphPoint(origin, axes, strokeEntry(g + 3 * j - 1), strokeEntry(g + 3 * j))};
            sink(segment, context);
            ++segments;
        }
    }
    return segments;
}

// --- drawing -----------------------------------------------------------------------------------

// All segments of one text go into a single GL_LINES batch: independent lines in one begin/end
// pair rasterise exactly as with a pair each, at a fraction of the calls.
void drawStrokeText(const char* text, const double position[3], const double angles[3],
                    double size, int colour) {
    glLineWidth(model::state.strokeLineWidth);
    glShadeModel(GL_FLAT);
    screen::setPaletteColour(colour);
    glBegin(GL_LINES);
    strokeTextVertices(text, position, angles, size, model::state.strokeLineWidth);
    glEnd();  // no flush per text: the frame's buffer swap delivers it
}

void strokeTextVertices(const char* text, const double position[3], const double angles[3],
                        double size, float lineWidth) {
    strokeTextSegments(text, position, angles, size, lineWidth,
                       [](const StrokeSegment& s, void*) {
                           glVertex3d(s.from.x, s.from.y, s.from.z);
                           glVertex3d(s.to.x, s.to.y, s.to.z);
                       },
                       nullptr);
}

}  // namespace stroke
