// The built-in gazetteer: 269 named regions with the longitude and latitude of their centres.
#pragma once

#include "platform/table.hpp"

namespace places {

constexpr int kPlaceCount = 269;       // 218 countries and territories, 50 states and D.C.
constexpr int kCountryRows = 218;      // rows 1..218; row 218 ("China") is out of order
constexpr int kFirstStateRow = 219;    // rows 219..269: the US states and D.C., alphabetical
constexpr int kPlaceNameLength = 30;   // a name is a fixed field of 30 characters

// A name field: 30 characters padded with trailing blanks, then a NUL so it can be printed.
struct PlaceName {
    char text[kPlaceNameLength + 1];
};

// A region's centre in degrees: longitude positive east, latitude positive north. Both are
// single-precision values widened to double.
struct PlaceLonLat {
    double longitude;
    double latitude;
};

// Row k of placeNames and row k of placePositions describe the same region, k = 1..kPlaceCount.
extern const Table<PlaceName, kPlaceCount> placeNames;
extern const Table<PlaceLonLat, kPlaceCount> placePositions;

}  // namespace places
