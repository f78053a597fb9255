// A stroke text drawn the plain way, one begin/end pair per segment, with the state settings of the
// viewer's batched routine: the GL test holds the two to the same pixels, and the frame
// benchmark's straightforward reference draws its grid numbers with it.
#pragma once
#include <GL/gl.h>

#include "model/state.hpp"
#include "screen/text.hpp"
#include "stroke/stroke.hpp"

inline void drawOnePairPerSegment(const char* text, const double position[3], const double angles[3],
                                  double size, int colour) {
    glLineWidth(model::state.strokeLineWidth);
    glShadeModel(GL_FLAT);
    screen::setPaletteColour(colour);
    stroke::strokeTextSegments(text, position, angles, size, model::state.strokeLineWidth,
                               [](const stroke::StrokeSegment& s, void*) {
                                   glBegin(GL_LINES);
                                   glVertex3d(s.from.x, s.from.y, s.from.z);
                                   glVertex3d(s.to.x, s.to.y, s.to.z);
                                   glEnd();
                               },
                               nullptr);
    glFlush();
}
