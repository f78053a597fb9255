// Three-dimensional text drawn as line strokes: the grid numbers, the pole labels and the place
// names.
#pragma once

namespace stroke {

constexpr int kStrokeTextLength = 40;  // a text is 40 characters; a NUL ends it early

// Draws `text` with its origin at `position` (model units), turned by R = Rz(a3)·Ry(a2)·Rx(a1)
// from `angles` (degrees), with character advance unit `size`, in palette colour `colour`.
// Uses state.strokeLineWidth as the GL line width; changes no matrix.
void drawStrokeText(const char* text, const double position[3], const double angles[3],
                    double size, int colour);

// Issues the line-segment vertices of the text as drawStrokeText would, inside a GL_LINES batch
// the caller has opened, with the colour, width and shading the caller has set. Texts of one
// colour and width then share a batch, and draw the same pixels as one call each.
void strokeTextVertices(const char* text, const double position[3], const double angles[3],
                        double size, float lineWidth);

// --- geometry of a stroke text, apart from GL -------------------------------------------------

struct StrokePoint {
    double x, y, z;
};

struct StrokeSegment {
    StrokePoint from, to;
};

// The two directions of a text: u along the line (one character width), v the way glyph y grows
// (scaled so that the 20-unit glyph box is 1.5 character widths high).
struct StrokeAxes {
    StrokePoint u, v;
};

// u = size·R·(1, 0, 0) and v = -1.5·size·R·(0, 0, 1) with R from the angles in degrees.
StrokeAxes strokeAxes(const double angles[3], double size);

// Origin of character cell k (1..40). A wider line moves the text back along u by
// (lineWidth - 1)·0.1 character widths, so a wide copy drawn 0.1 further on covers a narrow one.
StrokePoint strokeCellOrigin(const double position[3], const StrokeAxes& axes, int k,
                             float lineWidth);

// Receives one line segment of a text; `context` is the caller's own pointer.
using StrokeSink = void (*)(const StrokeSegment& segment, void* context);

// Hands every line segment of the text to `sink`, in drawing order, and returns their number.
// Stops at a NUL or after 40 characters; a character without a glyph takes its cell blank.
int strokeTextSegments(const char* text, const double position[3], const double angles[3],
                       double size, float lineWidth, StrokeSink sink, void* context);

}  // namespace stroke
