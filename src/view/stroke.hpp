// Three-dimensional text drawn as line strokes: the grid numbers, the pole labels and the place
// names.
#pragma once

namespace view {

constexpr int kStrokeTextLength = 40;  // a text is 40 characters; a NUL ends it early

// Draws `text` with its origin at `position` (model units), turned by R = Rz(a3)·Ry(a2)·Rx(a1)
// from `angles` (degrees), with character advance unit `size`, in palette colour `colour`.
// Uses state.strokeLineWidth as the GL line width; changes no matrix.
void drawStrokeText(const char* text, const double position[3], const double angles[3],
                    double size, int colour);

}  // namespace view
