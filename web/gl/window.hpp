// What the window layer (the GLUT subset) tells the GL subset: that a WebGL context exists, and
// the size of its drawing buffer. The rest of the subset is reached through the GL entry points.
#pragma once

namespace gl11 {

// Makes the whole state afresh, as a new context's, for a drawing buffer of the given size (the
// GLUT layer calls it once the WebGL context is current).
void startContext(int width, int height);
// The drawing buffer's size after the canvas was resized.
void setDrawingSize(int width, int height);

}  // namespace gl11
