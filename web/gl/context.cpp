// The one state and its one reset.
#include "context.hpp"

#include <new>

#include "window.hpp"

namespace gl11 {

Context context;

void setError(GLenum error) {
    if (context.error == GL_NO_ERROR) context.error = error;
}

// Made afresh in place: the state (the bitmap atlas's slots above all) is too large for a
// temporary on the browser's stack.
void startContext(int width, int height) {
    const unsigned serial = context.serial + 1;
    context.~Context();
    new (&context) Context();
    context.serial = serial;
    context.drawingWidth = width;
    context.drawingHeight = height;
    const GLint whole[4] = {0, 0, width, height};
    for (int k = 0; k < 4; ++k) context.attributes.viewport[k] = context.attributes.scissorBox[k] = whole[k];
}

}  // namespace gl11
