// glBitmap as the display lists replay it.
#pragma once
#include <GL/gl.h>

namespace gl11 {

// glBitmap with the unpack alignment given (a list replays its bits as they were recorded).
void bitmap(GLsizei width, GLsizei height, GLfloat xOrigin, GLfloat yOrigin, GLfloat xMove,
            GLfloat yMove, const GLubyte* bits, int alignment);

}  // namespace gl11
