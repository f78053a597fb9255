// The straightforward reference of the frame benchmark: the default view of the viewer drawn the
// plain documented way, back to back. Every frame re-imposes the window's size and place, draws
// the screen texts with glutBitmapCharacter, then the cross-hair, the textured sphere, the wire
// grid and the 106 grid numbers and 2 pole labels, each stroke segment its own begin/end pair.
// The texts and the stroke geometry come from the viewer's own code; the orientation is the
// first frame's (pointer at 510, 382).
#include <GL/freeglut.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "first_picture.hpp"
#include "screen/glcheck.hpp"
#include "screen/text.hpp"
#include "frame/frame.hpp"
#include "texts/texts.hpp"
#include "model/state.hpp"
#include "stroke/stroke.hpp"
#include "frame/timing.hpp"
#include "../../tests/support/stroke_pairs.hpp"

namespace {

GLUquadric* quadric = nullptr;
GLuint texture = 0;
double textureMatrix[16] = {};

// A grid number: white at width 1, then black at width 3 moved by 0.1 along `shiftAxis`.
void borderedNumber(int value, double position[3], const double angles[3], int shiftAxis) {
    char text[41];
    std::memset(text, ' ', 40);
    std::snprintf(text, sizeof text, "%4d", value);
    model::state.strokeLineWidth = 1.0f;
    drawOnePairPerSegment(text, position, angles, 0.5, 15);
    position[shiftAxis] += shiftAxis == 2 ? -0.1 : 0.1;
    model::state.strokeLineWidth = 3.0f;
    drawOnePairPerSegment(text, position, angles, 0.5, 0);
}

void labels(double degToRad, double viewLongitude) {
    for (int L = -180; L <= 170; L += 10) {
        const double turn = (L + 1) * degToRad;
        double position[3] = {-20.6 * std::sin(turn), -20.6 * std::cos(turn), 2.5};
        const double angles[3] = {180.0, 90.0, static_cast<double>(-L)};
        borderedNumber(-L, position, angles, 2);
    }
    for (int P = -80; P <= 80; P += 10) {
        const double turn = (P + 1) * degToRad;
        double position[3] = {-2.5, -20.6 * std::cos(turn), -20.6 * std::sin(turn)};
        const double angles[3] = {P + 180.0, 0.0, 0.0};
        borderedNumber(-P, position, angles, 0);
    }
    char south[41], north[41];
    std::snprintf(south, sizeof south, "South%c%-34s", 0, "");
    std::snprintf(north, sizeof north, "North%c%-34s", 0, "");
    const double southAt[3] = {0.0, 0.0, -20.6}, northAt[3] = {0.0, 0.0, 23.0};
    const double angles[3] = {viewLongitude, 90.0, 180.0};
    model::state.strokeLineWidth = 1.0f;
    drawOnePairPerSegment(south, southAt, angles, 0.35, 15);
    drawOnePairPerSegment(north, northAt, angles, 0.35, 15);
}

void referenceFrame() {
    model::State& s = model::state;
    s.iterationCount += 1;
    s.eyeDistance = frame::eyeDistanceFor(s.fieldOfView, s.degToRad);
    s.elevationKm = s.eyeDistance / 20.0 * s.radiiKm[1];
    glutReshapeWindow(1024, 748);
    glutPositionWindow(0, 20);
    s.viewLatitude = 101.0 - 382 / 2.0;
    s.viewLongitude = -510 / 2.0 - 105.0;

    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    frame::frameTiming();

    screen::setUpOverlay(0);
    screen::ScreenText text;
    for (int id = 1; id <= texts::kFullViewTextCount; ++id) {
        if (!texts::formatFullViewText(id, s, text)) continue;
        int row = text.row, col = text.col;
        screen::printAtCursor(text.length, text.buffer.c_str(), row, col, text.colour, 0, 1, 0);
    }

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(s.fieldOfView + 0.11, 1024.0 / 768.0, s.eyeDistance - 0.7, s.eyeDistance + 25.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(0.0, 0.0, 0.0);
    glTranslated(0.0, 0.0, -s.eyeDistance - 20.0);
    glShadeModel(GL_SMOOTH);

    glBegin(GL_LINES);  // the cross-hair: four arms fading from white to black
    const double arms[4][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
    for (const auto& a : arms) {
        screen::setPaletteColour(15);
        glVertex3d(0.11507 * a[0], 0.11507 * a[1], 20.1);
        screen::setPaletteColour(0);
        glVertex3d(1.1507 * a[0], 1.1507 * a[1], 20.1);
    }
    glEnd();
    glFlush();

    glRotated(s.viewLatitude, 1.0, 0.0, 0.0);
    glRotated(s.viewLongitude, 0.0, 0.0, 1.0);
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    s.centreLatitude = std::asin(m[10]) / s.degToRad;
    s.centreLongitude = std::atan2(m[4], m[0]) / s.degToRad;
    glDisable(GL_CULL_FACE);

    glEnable(GL_TEXTURE_2D);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMultMatrixd(textureMatrix);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    gluQuadricDrawStyle(quadric, GLU_FILL);
    gluSphere(quadric, 20.0, 72, 36);
    glDisable(GL_TEXTURE_2D);
    glFlush();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glColor3f(0.0f, 0.0f, 1.0f);
    gluQuadricDrawStyle(quadric, GLU_LINE);
    gluSphere(quadric, 20.3, 36, 18);
    labels(s.degToRad, s.viewLongitude);

    glMatrixMode(GL_MODELVIEW);
    glutSwapBuffers();
    glutPostRedisplay();
    s.glErrorCode = static_cast<int>(glGetError());
}

}  // namespace

int main(int argc, char** argv) {
    const bench::FirstPicture picture = bench::readFirstPicture("straight_reference");
    model::State& s = model::state;
    frame::firstFrameValues();
    s.imageCount = 1;
    s.selectedImage = 1;
    std::memcpy(s.imageFiles[1].text, picture.field, model::kNameLength);
    s.radiiKm[1] = picture.radius;
    textureMatrix[0] = static_cast<double>(picture.width) / picture.glWidth;
    textureMatrix[5] = static_cast<double>(picture.height) / picture.glHeight;
    textureMatrix[10] = textureMatrix[15] = 1.0;

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("Orvex.Exe v0.73");
    glEnable(GL_DEPTH_TEST);
    texture = bench::uploadPicture(picture);
    quadric = gluNewQuadric();
    gluQuadricNormals(quadric, GLU_SMOOTH);
    gluQuadricTexture(quadric, GL_TRUE);
    glutDisplayFunc(referenceFrame);
    glutIdleFunc(referenceFrame);
    glutMainLoop();
}
