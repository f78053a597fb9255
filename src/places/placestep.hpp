// The place step: the 269 gazetteer names written on the sphere, compiled into one display list
// per 20-degree group and replayed for the groups the sphere does not hide.
#pragma once

#include <GL/gl.h>

#include "stroke/stroke.hpp"

namespace places {

constexpr double kLetterRadius = 20.15;  // letters float 0.15 above the sphere of radius 20
constexpr double kLetterSize = 0.1;      // stroke-text advance unit of one letter
constexpr int kLetterColour = 14;        // light yellow in the text palette

// Everything one drawStrokeText call needs to draw letter slot m of a gazetteer name.
struct PlaceLetter {
    double position[3];                      // model coordinates of the letter's origin
    double angles[3];                        // (180 - latitude, 0, letter longitude), degrees
    double size;                             // kLetterSize
    int colour;                              // kLetterColour
    char text[stroke::kStrokeTextLength];      // the character, a NUL, then blanks
};

// Names are grouped by the 20 x 20 degree cell in which they start, one display list a group, so
// that a pass replays only the groups that can show: with the textured sphere drawn, the names
// of the far side are hidden by it anyway. All letters share one colour and width, so the order
// in which groups draw cannot change a pixel.
constexpr int kGroupDegrees = 20;
constexpr int kMaxGroups = (360 / kGroupDegrees) * (180 / kGroupDegrees);

// Where a group's strokes lie, seen from the sphere's centre: every stroke end is within
// `radius` radians of the unit direction `centre` and at most `farthest` from the centre.
struct PlaceCap {
    double centre[3];
    double radius;
    double farthest;
};

// The display lists of the names, named by GL so that they cannot meet the scene's own lists.
struct PlaceLists {
    GLuint first = 0;               // list of group 1; the other groups follow it
    int groups = 0;                 // groups holding names
    PlaceCap caps[kMaxGroups] = {};  // where each group's strokes lie
    float lineWidth = 1.0f;         // the stroke line width the names were compiled with
    GLuint calls[kMaxGroups] = {};  // the groups a pass replays
};
extern PlaceLists placeLists;

// The cap around the strokes of the names in gazetteer rows rows[0..count-1].
PlaceCap placeCap(const int* rows, int count, float lineWidth);

// The eye's position in model coordinates, from a model-view matrix of turns and shifts.
void eyeInModel(const double modelView[16], double eye[3]);

// Whether the sphere of radius 20 (drawn as GLU's facets, which hold a ball of radius 19.9) hides
// every stroke of the cap from the eye, with a degree to spare for the pixels at its outline.
bool capHidden(const PlaceCap& cap, const double eye[3]);

// Letter slot `slot` (1..30) of gazetteer row `row` (1..269): written along the parallel of the
// row's centre, 0.5 degree of longitude per slot eastward from the centre, with no wrap at 180.
PlaceLetter placeLetter(int row, int slot);

// Run once in every eye pass with the sphere's model-view matrix in force: while placesShown is
// 1, compiles the names into their display lists the first time, then replays the groups that
// the textured sphere does not hide (all of them when it is not drawn).
void placeStep();

}  // namespace places
