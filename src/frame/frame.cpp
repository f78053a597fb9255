#include "frame/frame.hpp"

#include <GL/freeglut.h>

#include <cmath>

#include "frame/timing.hpp"
#include "input/steps.hpp"
#include "model/orientation.hpp"
#include "model/state.hpp"
#include "places/placestep.hpp"
#include "platform/clock.hpp"
#include "platform/console.hpp"
#include "screen/glcheck.hpp"
#include "screen/text.hpp"
#include "latlon/latlon.hpp"
#include "texts/texts.hpp"
#include "globe/globe.hpp"

namespace frame {

WindowPlacement placement;

double eyeDistanceFor(double fieldOfView, double degToRad) {
    double d = 20.0 / std::sin(fieldOfView * degToRad / 2.0) - 20.0;
    return d < 1.0 ? 1.0 : d;
}

EyeProjection eyeProjection(int eyeMode, int eyeIndex, double fieldOfView, double eyeDistance,
                            double degToRad) {
    EyeProjection p;
    if (eyeIndex == 0) {
        p.fieldOfView = fieldOfView + 0.11;
    } else {
        // Each picture of a pair is half as high: the half-angle's tangent doubles.
        p.fieldOfView = 2.0 * std::atan(2.0 * std::tan(fieldOfView * degToRad / 2.0)) / degToRad;
    }
    p.shiftX = 0.0;
    if (eyeMode != 0) p.shiftX += eyeIndex * (0.41 - 0.4 * eyeDistance / 213.4);
    if (eyeMode > 0) p.shiftX += -0.825 * eyeIndex;
    p.nearPlane = eyeDistance - 0.7;
    p.farPlane = eyeDistance + 25.0;
    return p;
}

void centreFromModelView(const double m[16], double& latitude, double& longitude) {
    const double radToDeg = 45.0 / std::atan2(1.0, 1.0);
    double z = m[10];
    if (z > 1.0) z = 1.0;  // rounding may carry a unit column a hair past 1
    if (z < -1.0) z = -1.0;
    latitude = std::asin(z) * radToDeg;
    // The point under the centre is the model direction (m[2], m[6], m[10]); longitude 0 lies on
    // -y and 90 east on +x. With north up this equals atan2(m[4], m[0]); turned over a pole that
    // shortcut would name the meridian opposite the one in view, so it serves only at the poles.
    if (std::hypot(m[2], m[6]) > 1e-9) {
        longitude = std::atan2(m[2], -m[6]) * radToDeg;
    } else {
        longitude = std::atan2(m[4], m[0]) * radToDeg;
    }
    if (longitude <= -180.0) longitude += 360.0;  // the range is (-180, 180]
}

void firstFrameValues() {
    model::State& s = model::state;
    s.importPending = 0;
    s.pendingMenuValue = model::kDragMenuValue;
    s.pointerX = 510;
    s.viewMode = model::kPointerMode;
    s.pointerY = 382;
    s.viewLatitude = 0.0;
    s.viewLongitude = 0.0;
    s.gridShown = 1;
    s.gridLabelsShown = 1;
    s.fieldOfView = model::kStartFieldOfView;
    s.degToRad = std::atan2(1.0, 1.0) / 45.0;
    s.placesShown = 0;
    s.imageShown = 1;
    s.benchmarkStart = wallclock::clockSeconds();
    s.iterationCount = 0;
    s.benchmarkFrames = 0;
    s.eyeMode = 0;
    s.fullView = 1;
    s.exportDone = 0;
    s.helpShown = 0;
    s.placesListBuilt = 0;
    s.autoRotate = 0;
}

namespace {

// The pointer position that gives the current orientation back through the pointer mapping.
void warpToOrientation() {
    model::State& s = model::state;
    s.pointerX = model::pointerXOfLongitude(s.viewLongitude);
    s.pointerY = model::pointerYOfLatitude(s.viewLatitude);
    glutWarpPointer(s.pointerX, s.pointerY);
}

// The full view re-imposes its size and place in every frame, so a move or resize by the user is
// undone in the next one. The place is the window's outer corner: under a window manager that is
// the corner of its frame, and the drawing area sits inside it by the frame's border and title
// bar. A request goes to the X server only when the window is not already there, and at most once
// per place it is seen at, so a window manager that puts it elsewhere is not asked every frame.
void holdFullWindow() {
    if (glutGet(GLUT_WINDOW_WIDTH) != 1024 || glutGet(GLUT_WINDOW_HEIGHT) != 748) {
        glutReshapeWindow(1024, 748);
    }
    const int x = glutGet(GLUT_WINDOW_X), y = glutGet(GLUT_WINDOW_Y);
    if (x == placement.x && y == placement.y) return;
    placement = {x, y};
    if (x - glutGet(GLUT_WINDOW_BORDER_WIDTH) != 0 || y - glutGet(GLUT_WINDOW_HEADER_HEIGHT) != 20) {
        glutPositionWindow(0, 20);
    }
}

// Frame step 7: the lat/lon exchange, auto-rotation or the pointer mapping.
void modeStep() {
    model::State& s = model::state;
    if (s.viewMode == model::kLatLonExchange) {
        s.fullView = 1 - s.fullView;
        s.viewMode = model::kPointerMode;
        if (s.fullView == 0) {
            glutReshapeWindow(320, 240);
            if (s.exportDone < 1) {
                latlon::exportLatLon();
                s.importPending = 1;
                s.exportDone = 1;
            }
        } else {
            glutReshapeWindow(1024, 748);
            glutPositionWindow(0, 20);
            if (s.importPending != 0) latlon::importLatLon();
            warpToOrientation();
            s.exportDone = 0;
        }
    } else if (s.viewMode == model::kAutoRotating && s.fullView != 0) {
        autoRotationStep();
    } else if (s.viewMode == model::kPointerMode && s.fullView != 0) {
        input::pointerMapping();
    }
}

// Frame step 11: one eye pass of the scene.
void eyePass(int eyeIndex) {
    model::State& s = model::state;
    const double aspectRatio = static_cast<double>(s.layoutSize[1]) / s.layoutSize[2];
    const EyeProjection p = eyeProjection(s.eyeMode, eyeIndex, s.fieldOfView, s.eyeDistance, s.degToRad);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (s.eyeMode != 0) glTranslated(p.shiftX, 0.0, 0.0);  // the pictures of a pair side by side
    gluPerspective(p.fieldOfView, aspectRatio, p.nearPlane, p.farPlane);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(eyeIndex * s.eyeDistance / 10.0, 0.0, 0.0);
    glTranslated(0.0, 0.0, -s.eyeDistance - 20.0);
    glShadeModel(GL_SMOOTH);

    globe::drawCrossHair();

    glRotated(s.viewLatitude, 1.0, 0.0, 0.0);
    glRotated(s.viewLongitude, 0.0, 0.0, 1.0);
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    centreFromModelView(m, s.centreLatitude, s.centreLongitude);

    glDisable(GL_CULL_FACE);
    globe::drawSphereGridAndLabels();
    places::placeStep();
}

}  // namespace

void displayFrame() {
    model::State& s = model::state;
    input::specialKeyStep();                                  // 1. zoom key
    if (s.initialised == 0) {                                 // 2. first frame
        firstFrameValues();
        glutWarpPointer(510, 382);
    }
    countFrame(s);                                            // 3. frame counter
    input::applyCommand();                                    // 4. commands

    s.eyeDistance = eyeDistanceFor(s.fieldOfView, s.degToRad);  // 5. derived values
    const double radius = s.imageCount >= 1 ? s.radiiKm[s.selectedImage] : 0.0;
    s.elevationKm = s.eyeDistance / 20.0 * radius;
    s.textureSlot = s.selectedImage;
    s.currentQuadric = s.imageCount >= 1 ? s.quadrics[s.selectedImage] : nullptr;

    if (s.fullView == 1) holdFullWindow();                    // 6. window placement
    modeStep();                                               // 7. mode step

    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);                     // 8. clear
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);

    frameTiming();                                            // 9. frame timing

    screen::setUpOverlay(0);                                  // 10. screen texts
    screen::beginTextPass();                                  //     drawn as one batch
    if (s.fullView == 0) {
        texts::drawSmallWindowTexts();
    } else {
        texts::drawFullViewTexts();
    }
    screen::endTextPass();

    const int step = s.eyeMode == 0 ? 1 : 2 * s.eyeMode;     // 11. eye passes
    for (int eyeIndex = -s.eyeMode;; eyeIndex += step) {
        eyePass(eyeIndex);
        if (eyeIndex == s.eyeMode) break;
    }
    const char* imageName = s.imageCount >= 1 ? s.imageFiles[s.selectedImage].text : "";  // readouts for a page
    console::announceView(s.centreLatitude, s.centreLongitude, s.fieldOfView, s.selectedImage, imageName);

    // Nothing drawn in the frame flushes GL on its own: the swap delivers the whole frame at
    // once, and with a software renderer every flush sets the rasteriser going on a part-drawn
    // frame, once per text and label.
    glMatrixMode(GL_MODELVIEW);                               // 12. swap, next frame
    glutSwapBuffers();
    glutPostRedisplay();
    s.initialised = 1;

    screen::checkGlErrors(screen::kCheckEndOfFrame, s.glErrorCode);                // 13. error check
    if (s.glErrorCode != 0) console::stop(console::Failure::glError, "Orvex: halt!");
}

void idleFrame() { displayFrame(); }

}  // namespace frame
