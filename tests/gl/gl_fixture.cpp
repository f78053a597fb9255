#include "gl_fixture.hpp"

#include <GL/freeglut.h>
#include <X11/Xlib.h>

namespace gltest {

bool openTestWindow() {
    static const bool opened = [] {
        // The probe connection stays open: an X server started without -noreset resets when its
        // last client leaves, and GLUT's own connection would race that reset.
        static Display* probe = XOpenDisplay(nullptr);
        if (probe == nullptr) return false;
        int argc = 1;
        char name[] = "orvex_gl_tests";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(kWindowWidth, kWindowHeight);
        glutCreateWindow("orvex gl tests");
        glutDisplayFunc([] {});
        glutMainLoopEvent();
        return true;
    }();
    return opened;
}

void resetGlState() {
    glViewport(0, 0, kWindowWidth, kWindowHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glLineWidth(1.0f);
    glColor3f(1, 1, 1);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    while (glGetError() != GL_NO_ERROR) {
    }
}

std::vector<unsigned char> readPixels() {
    std::vector<unsigned char> pixels(3 * kWindowWidth * kWindowHeight);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWindowWidth, kWindowHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

}  // namespace gltest
