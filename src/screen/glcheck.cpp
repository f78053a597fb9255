#include "screen/glcheck.hpp"

#include <cstdio>

#include "platform/console.hpp"
#include "platform/fields.hpp"

namespace screen {

void formatGlErrorLine(char* out, int outSize, int checkPoint, int errorCode) {
    fields::TextLine line;
    line.str(" CheckGL:@Line").i(checkPoint, 4).str(" GlErr=").z(static_cast<std::uint32_t>(errorCode), 8).str(" hex");
    std::snprintf(out, static_cast<size_t>(outSize), "%s", line.c_str());
}

void checkGlErrors(int checkPoint, int& errorCode) {
    errorCode = static_cast<int>(glGetError());
    if (errorCode == 0) return;
    char text[64];
    formatGlErrorLine(text, sizeof text, checkPoint, errorCode);
    console::writeLine(text);
}

void reportQuadricError(GLenum errorCode) {
    fields::TextLine line;
    line.str(" Quadric Callback Error number:").i(static_cast<long long>(errorCode), 10);
    console::writeLine(line.c_str());
    console::stop(console::Failure::glError, "Halt at QuadErr");
}

void setUpOverlay(int overlayLevel) {
    (void)overlayLevel;  // every caller passes 0
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1.333, 1.333, -1.0, 1.0, 1.0, -1.0);
    int overlayError = 0;  // read by nobody: the check only reports and clears the flag
    checkGlErrors(kCheckOverlay, overlayError);
}

}  // namespace screen
