#include "startup/run.hpp"

#include <GL/freeglut.h>

#include <cfenv>

#include "frame/frame.hpp"
#include "input/callbacks.hpp"
#include "input/menu.hpp"
#include "model/state.hpp"
#include "platform/console.hpp"
#include "platform/memory.hpp"
#include "platform/pointer.hpp"
#include "screen/glcheck.hpp"
#include "screen/text.hpp"
#include "startup/config.hpp"
#include "startup/textures.hpp"

namespace startup {

namespace {

// GLU hands its error code to a callback without arguments' types of our choosing. APIENTRY is
// the GL calling convention on both systems (GLAPIENTRY is not defined by every gl.h).
void APIENTRY quadricError(GLenum code) { screen::reportQuadricError(code); }

// Window, display mode, depth test, the seven callbacks and the pop-up menu.
void openWindow() {
    const model::State& s = model::state;
    static char programName[] = "noname";
    static char* arguments[] = {programName, nullptr};
    int argumentCount = 1;
    glutInit(&argumentCount, arguments);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(s.layoutSize[1], s.layoutSize[2]);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("Orvex.Exe v0.73");
    glEnable(GL_DEPTH_TEST);
    glutDisplayFunc(frame::displayFrame);
    glutIdleFunc(frame::idleFrame);
    glutMouseFunc(input::mouseButtonChanged);
    glutKeyboardFunc(input::keyPressed);
    glutMotionFunc(input::mouseDragged);
    glutPassiveMotionFunc(input::mouseMoved);
    glutSpecialFunc(input::specialKeyPressed);
    input::buildMenu();
    pointer::routeReleasesToMenu();  // a press-drag-release picks the entry under the pointer
}

// Texture and quadric of image i, interleaved as the GL set-up requires.
void setUpImage(int i, Picture& picture) {
    model::State& s = model::state;
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, s.textureNames[i]);
    glFrontFace(GL_CCW);
    GLUquadric* quadric = gluNewQuadric();
    s.quadrics[i] = quadric;
    if (quadric) {
        gluQuadricCallback(quadric, GLU_ERROR, reinterpret_cast<void(APIENTRY*)()>(quadricError));
        gluQuadricDrawStyle(quadric, GLU_FILL);
        gluQuadricNormals(quadric, GLU_SMOOTH);
        gluQuadricTexture(quadric, GL_TRUE);
    }
    glGetError();  // errors up to here never reach the check before the main loop
    setTextureParameters();
    glGetError();
    uploadImage(i, picture);
    glDisable(GL_TEXTURE_2D);
    glFlush();
}

}  // namespace

void run() {
    std::fesetenv(FE_DFL_ENV);  // IEEE double, round to nearest, exceptions masked
    console::open();
    memory::tuneHeap();
    model::State& s = model::state;

    console::write(" ");
    console::writeLine(s.windowTitle.text);
    readConfiguration();
    PictureSet pictures;
    importAll(pictures);

    openWindow();
    glGenTextures(model::kMaxImages, &s.textureNames[1]);
    for (int i = 1; i <= model::kMaxImages; ++i) {
        for (int k = 1; k <= 16; ++k) s.textureMatrices[i][k] = 0.0;
    }
    for (int i = 1; i <= s.imageCount; ++i) setUpImage(i, pictures[i]);

    // Image 1 becomes current. Without any configured image nothing is selected: there is no
    // texture, quadric or name to show, and the frame draws only what needs none of them.
    if (s.imageCount >= 1) {
        s.selectedImage = 1;
        s.textureSlot = 1;
        s.currentQuadric = s.quadrics[1];
    } else {
        s.selectedImage = 0;
        s.textureSlot = 0;
        s.currentQuadric = nullptr;
    }
    loadTextureMatrix(1);
    screen::buildTextAtlas();  // without it the screen texts keep GLUT's bitmaps

    glFlush();
    glutSwapBuffers();
    glutPostRedisplay();
    screen::checkGlErrors(screen::kCheckBeforeMainLoop, s.glErrorCode);
    if (s.glErrorCode == 0) {
        glutMainLoop();
        console::stopSilently(console::Failure::none);  // the main loop returns only if GLUT was told to leave it
    }
    console::pause("Orvex: OpenGL error detected prior to GlutMainLoop call.");
    console::stop(console::Failure::glErrorAtStart, "Orvex: Input data error. Exiting.");
}

}  // namespace startup
