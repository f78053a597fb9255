// Geometry kept on the GPU: GLU's sphere, which a program draws unchanged frame after frame,
// is issued once through glBegin/glVertex/glEnd into a buffer of its own and then drawn from it
// with the current state and matrices. drawKept draws what the captured calls would draw in
// immediate mode; where the state makes their assembly differ (outlined polygons, wide lines,
// flat shading of captured colours) it replays the calls instead.
#pragma once

namespace gl11 {

// Starts capturing: the vertex calls until endKept are kept, not drawn, nor recorded in a list.
// Returns the kept geometry's number (from 1), 0 when no more can be kept.
int beginKept();
void endKept();
// Draws kept geometry as its calls would draw now; display lists record it as one call.
void drawKept(int kept);
// Which context the kept numbers belong to: a new context keeps nothing of the last one's.
unsigned contextSerial();

}  // namespace gl11
