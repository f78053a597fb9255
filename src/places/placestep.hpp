// The place step: the 269 gazetteer names written on the sphere from one display list.
#pragma once

#include "view/stroke.hpp"

namespace places {

constexpr int kPlaceListName = 1;        // GL display list that holds the compiled names
constexpr double kLetterRadius = 20.15;  // letters float 0.15 above the sphere of radius 20
constexpr double kLetterSize = 0.1;      // stroke-text advance unit of one letter
constexpr int kLetterColour = 14;        // light yellow in the text palette

// Everything one drawStrokeText call needs to draw letter slot m of a gazetteer name.
struct PlaceLetter {
    double position[3];                      // model coordinates of the letter's origin
    double angles[3];                        // (180 - latitude, 0, letter longitude), degrees
    double size;                             // kLetterSize
    int colour;                              // kLetterColour
    char text[view::kStrokeTextLength];      // the character, a NUL, then blanks
};

// Letter slot `slot` (1..30) of gazetteer row `row` (1..269): written along the parallel of the
// row's centre, 0.5 degree of longitude per slot eastward from the centre, with no wrap at 180.
PlaceLetter placeLetter(int row, int slot);

// Run once in every eye pass with the sphere's model-view matrix in force: while placesShown is
// 1, compiles the names into the display list the first time, then calls the list.
void placeStep();

}  // namespace places
