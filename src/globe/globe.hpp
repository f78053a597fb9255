// What one eye pass draws in three dimensions: the cross-hair, the textured sphere, the wire
// grid, its numbers and the pole labels.
#pragma once

#include <GL/gl.h>

class GLUquadric;

namespace globe {

// The cross-hair at the view centre, in eye-aligned coordinates.
void drawCrossHair();

// The textured sphere (when shown), the texture-matrix reset, the grid and its labels.
void drawSphereGridAndLabels();

// A grid label: position, angles, and the 40-character text (number in 4 columns, then NUL).
struct GridLabel {
    double position[3];
    double angles[3];
    char text[40];
};

// What the scene keeps from one frame to the next. The display lists hold what every pass draws
// the same in body coordinates, replayed under the orientation; 0 = not compiled yet. They are
// compiled once and kept for the run, like the quadrics.
struct SceneState {
    GLUquadric* spareQuadric = nullptr;  // the grid's quadric when no image is configured
    GLuint wireGrid = 0;                 // list of the wire grid sphere of radius 20.3
    GLuint gridNumbers = 0;              // list of the 53 grid numbers, each with its black border
};
extern SceneState scene;

// Longitude number for L = -180, -170, ..., 170 (index 0..35); `black` is the bordering copy.
GridLabel longitudeLabel(int index, bool black, double degToRad);
// Latitude number for P = -80, ..., 80 (index 0..16).
GridLabel latitudeLabel(int index, bool black, double degToRad);

}  // namespace globe
