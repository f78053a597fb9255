#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "gl_fixture.hpp"
#include "screen/text.hpp"
#include "model/state.hpp"
#include "stroke/stroke.hpp"

namespace {

using StrokeGl = gltest::WindowTest;

// One begin/end pair per segment, with the same state settings as the batched routine.
void drawOnePairPerSegment(const char* text, const double position[3], const double angles[3],
                           double size, int colour) {
    glLineWidth(model::state.strokeLineWidth);
    glShadeModel(GL_FLAT);
    screen::SetPalColor(colour);
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

using DrawText = void (*)(const char*, const double*, const double*, double, int);

// Texts upright in the screen plane, turned in it and tilted out of it, at widths 1 and 3,
// with the wide dark copy over a white one as the grid numbers are drawn.
std::vector<unsigned char> drawScene(DrawText draw) {
    gltest::resetGlState();
    glMatrixMode(GL_PROJECTION);
    glOrtho(-1.0, 11.0, -6.0, 6.0, -20.0, 20.0);
    glMatrixMode(GL_MODELVIEW);

    const double upright[3] = {90, 0, 0};
    const double turned[3] = {90, 0, 33};
    const double tilted[3] = {70, 35, -20};
    const double top[3] = {-1.0, 4.0, 0.0};
    const double topShifted[3] = {-0.9, 4.0, 0.0};
    const double middle[3] = {-0.5, -2.0, 0.0};
    const double bottom[3] = {0.0, -5.0, 1.0};

    model::state.strokeLineWidth = 1.0f;
    draw("-170 0123456789", top, upright, 0.5, 15);
    model::state.strokeLineWidth = 3.0f;
    draw("-170 0123456789", topShifted, upright, 0.5, 12);
    draw("ABCDEFGHIJKLM", middle, turned, 0.45, 14);
    model::state.strokeLineWidth = 1.0f;
    draw("nopqrstuvwxyz*+,./", bottom, tilted, 0.4, 11);
    return gltest::readPixels();
}

int litPixels(const std::vector<unsigned char>& rgb) {
    int lit = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) lit += (rgb[i] | rgb[i + 1] | rgb[i + 2]) != 0;
    return lit;
}

TEST_F(StrokeGl, OneLineBatchPerTextDrawsTheSamePixelsAsOnePairPerSegment) {
    const std::vector<unsigned char> separate = drawScene(drawOnePairPerSegment);
    const std::vector<unsigned char> batched = drawScene(stroke::drawStrokeText);
    EXPECT_GT(litPixels(batched), 2000);  // the scene really drew text
    int differing = 0;
    for (size_t i = 0; i < batched.size(); ++i) differing += batched[i] != separate[i];
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(StrokeGl, LeavesWidthShadingAndColourSetAndTheMatricesAlone) {
    glMatrixMode(GL_MODELVIEW);
    glRotated(20, 1, 2, 3);
    glMatrixMode(GL_PROJECTION);
    glOrtho(-3, 5, -4, 4, -10, 10);
    GLdouble modelviewBefore[16], projectionBefore[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelviewBefore);
    glGetDoublev(GL_PROJECTION_MATRIX, projectionBefore);

    const double position[3] = {0, 0, 0}, angles[3] = {90, 0, 0};
    model::state.strokeLineWidth = 3.0f;
    stroke::drawStrokeText("N7", position, angles, 1.0, 12);

    GLfloat width = 0, colour[4] = {};
    GLint shading = 0, mode = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    glGetIntegerv(GL_SHADE_MODEL, &shading);
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(width, 3.0f);
    EXPECT_EQ(shading, GL_FLAT);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[1], 85 / 255.0f);
    EXPECT_FLOAT_EQ(colour[2], 85 / 255.0f);
    EXPECT_EQ(mode, GL_PROJECTION);

    GLdouble modelviewAfter[16], projectionAfter[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelviewAfter);
    glGetDoublev(GL_PROJECTION_MATRIX, projectionAfter);
    EXPECT_EQ(std::memcmp(modelviewBefore, modelviewAfter, sizeof modelviewAfter), 0);
    EXPECT_EQ(std::memcmp(projectionBefore, projectionAfter, sizeof projectionAfter), 0);

    // A text that is empty from its first character is a legal, empty batch.
    model::state.strokeLineWidth = 1.0f;
    stroke::drawStrokeText("", position, angles, 1.0, 15);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
