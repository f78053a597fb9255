// GL and GLU diagnostics: the error flag polled at numbered check-points, and the quadric error
// callback, which ends the run.
#pragma once
#include <GL/gl.h>

namespace screen {

// The numbered check-points at which the error flag is polled.
enum CheckPoint : int {
    kCheckBeforeMainLoop = 698,  // the end of start-up
    kCheckEndOfFrame = 489,      // after every frame's swap; an error ends the run
    kCheckOverlay = 409,         // after the overlay projection (reported, never acted on)
};

// errorCode = glGetError(); a nonzero code is reported on the console with the check-point.
void checkGlErrors(int checkPoint, int& errorCode);

// The report line of checkGlErrors, without its line end (for tests and the console alike).
void formatGlErrorLine(char* out, int outSize, int checkPoint, int errorCode);

// GLU quadric error callback: reports the code and stops with "Halt at QuadErr".
void reportQuadricError(GLenum errorCode);

// Overlay projection for the screen texts: identity model-view and texture matrices and a 4:3
// orthographic projection; polls the error flag at check-point 409.
void setUpOverlay(int overlayLevel);

}  // namespace screen
