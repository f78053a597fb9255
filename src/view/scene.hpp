// What one eye pass draws in three dimensions: the cross-hair, the textured sphere, the wire
// grid, its numbers and the pole labels.
#pragma once

class GLUquadric;

namespace view {

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

// What the scene keeps from one frame to the next.
struct SceneState {
    GLUquadric* spareQuadric = nullptr;  // the grid's quadric when no image is configured
    int labelsLaidOut = 0;               // the grid labels below are filled in (they never change)
    GridLabel longitudes[36][2];         // longitude numbers, white and black border copy
    GridLabel latitudes[17][2];          // latitude numbers, white and black border copy
    GridLabel south, north;              // pole labels; their angle follows viewLongitude
};
extern SceneState scene;

// Longitude number for L = -180, -170, ..., 170 (index 0..35); `black` is the bordering copy.
GridLabel longitudeLabel(int index, bool black, double degToRad);
// Latitude number for P = -80, ..., 80 (index 0..16).
GridLabel latitudeLabel(int index, bool black, double degToRad);

}  // namespace view
