#include "globe/globe.hpp"

#include <GL/glu.h>

#include <cmath>
#include <cstring>

#include "platform/fields.hpp"
#include "screen/text.hpp"
#include "model/state.hpp"
#include "stroke/stroke.hpp"

namespace globe {

SceneState scene;

namespace {

void numberText(char text[40], int value) {
    std::memset(text, ' ', 40);
    fields::integer(text, value, 4);
    text[4] = 0;
}

void labelText(char text[40], const char* word) {
    std::memset(text, ' ', 40);
    std::memcpy(text, word, std::strlen(word));
    text[std::strlen(word)] = 0;
}

// One batch of GL lines for the given copy of every grid number: the white numbers, or their
// black borders. The numbers lie apart on the body, so where two meet on the screen the depth
// test alone decides between them, and all white strokes before all black ones give the same
// picture as each number's pair in turn: two draws instead of 106.
void gridNumberBatch(bool black) {
    const model::State& s = model::state;
    const float width = black ? 3.0f : 1.0f;
    glLineWidth(width);
    glShadeModel(GL_FLAT);
    screen::setPaletteColour(black ? 0 : 15);
    glBegin(GL_LINES);
    for (int k = 0; k < 36; ++k) {
        const GridLabel g = longitudeLabel(k, black, s.degToRad);
        stroke::strokeTextVertices(g.text, g.position, g.angles, 0.5, width);
    }
    for (int k = 0; k < 17; ++k) {
        const GridLabel g = latitudeLabel(k, black, s.degToRad);
        stroke::strokeTextVertices(g.text, g.position, g.angles, 0.5, width);
    }
    glEnd();
}

// Compiles the grid numbers, which never move on the body, into their display list.
void compileGridNumbers() {
    scene.gridNumbers = glGenLists(1);
    glNewList(scene.gridNumbers, GL_COMPILE);
    gridNumberBatch(false);
    gridNumberBatch(true);
    glEndList();
}

}  // namespace

GridLabel longitudeLabel(int index, bool black, double degToRad) {
    const int L = -180 + 10 * index;
    const double turn = (L + 1) * degToRad;
    GridLabel g;
    g.position[0] = -20.6 * std::sin(turn);
    g.position[1] = -20.6 * std::cos(turn);
    g.position[2] = black ? 2.4 : 2.5;
    g.angles[0] = 180.0;
    g.angles[1] = 90.0;
    g.angles[2] = -L;
    numberText(g.text, -L);
    return g;
}

GridLabel latitudeLabel(int index, bool black, double degToRad) {
    const int P = -80 + 10 * index;
    const double turn = (P + 1) * degToRad;
    GridLabel g;
    g.position[0] = black ? -2.4 : -2.5;
    g.position[1] = -20.6 * std::cos(turn);
    g.position[2] = -20.6 * std::sin(turn);
    g.angles[0] = P + 180.0;
    g.angles[1] = 0.0;
    g.angles[2] = 0.0;
    numberText(g.text, -P);
    return g;
}

void drawCrossHair() {
    static const double arms[4][2] = {{0, 1}, {0, -1}, {1, 0}, {-1, 0}};
    glBegin(GL_LINES);
    for (const auto& a : arms) {
        screen::setPaletteColour(screen::overlayColour);
        glVertex3d(0.11507 * a[0], 0.11507 * a[1], 20.1);
        screen::setPaletteColour(0);
        glVertex3d(1.1507 * a[0], 1.1507 * a[1], 20.1);
    }
    glEnd();
}

// No flush here or per label: the frame's buffer swap delivers it (see frame::displayFrame).
void drawSphereGridAndLabels() {
    model::State& s = model::state;
    const bool haveQuadric = s.currentQuadric != nullptr;  // none without a configured image
    if (s.imageShown == 1 && haveQuadric) {
        glEnable(GL_TEXTURE_2D);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        std::memcpy(s.textureMatrixWork, s.textureMatrices[s.selectedImage].slot, sizeof s.textureMatrixWork);
        glMultMatrixd(s.textureMatrixWork);
        glBindTexture(GL_TEXTURE_2D, s.textureNames[s.textureSlot]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        gluQuadricDrawStyle(s.currentQuadric, GLU_FILL);
        gluSphere(s.currentQuadric, 20.0, 72, 36);
        glDisable(GL_TEXTURE_2D);
    }
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glColor3f(0.0f, 0.0f, 1.0f);

    if (s.fieldOfView > 120.0) return;
    if (s.gridShown != 0) {
        // Without a configured image there is no quadric of an image: the grid gets its own.
        GLUquadric* quadric = s.currentQuadric;
        if (!quadric) {
            if (!scene.spareQuadric) scene.spareQuadric = gluNewQuadric();
            quadric = scene.spareQuadric;
        }
        if (scene.wireGrid == 0 && quadric) {
            scene.wireGrid = glGenLists(1);
            gluQuadricDrawStyle(quadric, GLU_LINE);
            glNewList(scene.wireGrid, GL_COMPILE);
            gluSphere(quadric, 20.3, 36, 18);
            glEndList();
        }
        if (scene.wireGrid != 0) glCallList(scene.wireGrid);
    }
    if (s.gridLabelsShown == 0) return;

    if (scene.gridNumbers == 0) compileGridNumbers();
    glCallList(scene.gridNumbers);

    // The pole labels turn with the longitude so that they face the viewer.
    GridLabel south{{0.0, 0.0, -20.6}, {s.viewLongitude, 90.0, 180.0}, {}};
    GridLabel north{{0.0, 0.0, 23.0}, {s.viewLongitude, 90.0, 180.0}, {}};
    labelText(south.text, "South");
    labelText(north.text, "North");
    s.strokeLineWidth = 1.0f;
    stroke::drawStrokeText(south.text, south.position, south.angles, 0.35, 15);
    stroke::drawStrokeText(north.text, north.position, north.angles, 0.35, 15);
}

}  // namespace globe
