// Geometry kept on the GPU: what a program draws unchanged frame after frame (GLU's sphere, a
// display list's glBegin ... glEnd runs) is issued once through glBegin/glVertex/glEnd into a
// buffer and then drawn from it with the current state and matrices. drawKept draws what the
// captured calls would draw in immediate mode; where the state makes their assembly differ
// (outlined polygons, flat shading of captured colours, wide textured lines) it replays them.
#pragma once

#include "calls.hpp"

namespace gl11 {

// Starts capturing: the vertex calls until endKept are kept, not drawn, nor recorded in a list.
// Returns the kept geometry's number (from 1), 0 while other geometry is being captured.
int beginKept();
void endKept();
// Draws kept geometry as its calls would draw now; display lists record it as one call.
void drawKept(int kept);
// Which context the kept numbers belong to: a new context keeps nothing of the last one's.
unsigned contextSerial();

// Keeps each long glBegin ... glEnd run of a compiled display list, which then draws it by number.
void keepListRuns(CallList& list);

}  // namespace gl11
