// The orientation of the sphere against the pointer position and the view centre: the one place
// that holds these formulas (pointer mode, the warp after a lat/lon import, auto-rotation's warp).
#pragma once
#include <cmath>

namespace model {

// Pointer mode: the orientation is a linear function of the pointer, half a degree per pixel.
inline double latitudeOfPointer(int pointerY) { return 101.0 - pointerY / 2.0; }
inline double longitudeOfPointer(int pointerX) { return -(pointerX / 2.0) - 105.0; }

// The pointer position that gives an orientation back through pointer mode (truncated to whole
// pixels; exact for every orientation pointer mode itself produces).
inline int pointerXOfLongitude(double viewLongitude) {
    return static_cast<int>(std::trunc(-2.0 * (viewLongitude + 105.0)));
}
inline int pointerYOfLatitude(double viewLatitude) {
    return static_cast<int>(std::trunc(2.0 * (101.0 - viewLatitude)));
}

// The largest angle, in degrees, whose pointer position still fits an int: an orientation beyond
// it cannot be handed to the pointer, so a file that asks for one is not used.
constexpr double kLargestPointerAngle = 1.0e9;

// The orientation that brings a latitude and longitude under the view centre.
inline double viewLatitudeFor(double centreLatitude) { return centreLatitude - 90; }
inline double viewLongitudeFor(double centreLongitude) { return -360 - centreLongitude; }

}  // namespace model
