// The frame routine: applies pending commands, updates orientation, window and timing, draws the
// screen texts and one or two eye passes of the scene, swaps and posts the next frame.
#pragma once

#include <climits>

namespace frame {

void displayFrame();  // GLUT display callback
void idleFrame();     // GLUT idle callback: draws the next frame at once

// Eye height above the surface for a field of view: the sphere exactly fills the view.
double eyeDistanceFor(double fieldOfView, double degToRad);

// Projection of one eye pass.
struct EyeProjection {
    double fieldOfView;  // for gluPerspective, the added margin included
    double shiftX;       // sideways shift in normalised device coordinates
    double nearPlane, farPlane;
};
EyeProjection eyeProjection(int eyeMode, int eyeIndex, double fieldOfView, double eyeDistance,
                            double degToRad);

// Latitude and longitude under the view centre from a column-major model-view matrix.
void centreFromModelView(const double m[16], double& latitude, double& longitude);

// Where the drawing area was on the screen when the full window was last placed or found in
// place; INT_MIN before the first frame.
struct WindowPlacement {
    int x = INT_MIN, y = INT_MIN;
};
extern WindowPlacement placement;

// The first frame's values of the view state (the pointer warp is the caller's).
void firstFrameValues();

}  // namespace frame
