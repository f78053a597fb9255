// The latitude/longitude file Orvex.Out: export from the view centre, import back into the
// orientation (the import turns the globe to the position read).
#pragma once
#include <cstddef>

#include "platform/fields.hpp"

namespace latlon {

void exportLatLon();          // writes Orvex.Out from centreLatitude and centreLongitude
void importLatLon();          // reads Orvex.Out back into the orientation, when it can be opened

constexpr const char* kLatLonFileName = "Orvex.Out";

// --- the file's text ---------------------------------------------------------------------------

// The whole content of Orvex.Out for a centre position: three lines, each begun by a blank.
void formatLatLonFile(double latitude, double longitude, fields::TextLine& out);

enum class LatLonStatus {
    ok,           // both numbers read
    noLatitude,   // the first line holding anything holds no usable number
    noLongitude,  // the line after the latitude holds no usable number
};

struct LatLonValues {
    LatLonStatus status = LatLonStatus::noLatitude;
    double latitude = 0;   // valid when status is ok
    double longitude = 0;
};

// Reads the two numbers of Orvex.Out from its text in memory, free-form: the first number of the
// first line that is not blank, then the first number of the line after it; whatever follows a
// number on its line is ignored. A number is an optional sign, digits with an optional decimal
// point, and an optional exponent (e, E, d or D, or a bare sign, then digits); it ends at a blank,
// a tab, a comma, a slash or the line end. Anything else, a value that is not finite, and one
// beyond model::kLargestPointerAngle (its pointer position would not fit an int) is no usable
// number.
LatLonValues parseLatLon(const char* text, std::size_t length);

}  // namespace latlon
