// GLUT's one window on the page: the module's canvas is the window, a WebGL 1 context its GL
// context. Its size and place are asked for here and applied by the loop.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

#include "../gl/context.hpp"
#include "state.hpp"

namespace glut {

State state;

void resetState() {
    const bool stopped = state.stopped;
    state = State{};
    state.stopped = stopped;
}

void resizeCanvas(int width, int height) {
    emscripten_set_canvas_element_size("!canvas", width, height);
    state.width = width;
    state.height = height;
    webgl::setDrawingSize(width, height);
}

// freeglut prints the message and exits. On the page the run ends as the console's stops end it:
// no more frames or events, the page told the status, and the run's stack set aside for good
// instead of an exit, which in a run resumed from the page's promise would reach the page as an
// uncaught error.
void fatalError(const char* message) {
    if (state.programName.empty()) {
        std::fprintf(stderr, "freeglut %s\n", message);
    } else {
        std::fprintf(stderr, "freeglut (%s): %s\n", state.programName.c_str(), message);
    }
    glutLeaveMainLoop();
    tellPageStopped(1);
    haltRun();
    __builtin_unreachable();
}

}  // namespace glut

using glut::state;

extern "C" {

void glutInit(int* argumentCount, char** arguments) {
    glut::resetState();
    if (argumentCount && *argumentCount > 0 && arguments && arguments[0]) state.programName = arguments[0];
}

void glutInitDisplayMode(unsigned int) {}  // the context is always RGB, double-buffered, with depth

void glutInitWindowSize(int width, int height) {
    state.initialWidth = width;
    state.initialHeight = height;
}

void glutInitWindowPosition(int x, int y) {
    state.x = x;
    state.y = y;
}

// A canvas that refuses WebGL is freeglut's failed context: the page is told, then the fatal error.
int glutCreateWindow(const char*) {
    if (state.windowMade) return 0;
    pointCanvasTarget();
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;  // an RGB window
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;  // read-backs between frames see the last frame
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    state.webgl = emscripten_webgl_create_context("!canvas", &attributes);
    if (state.webgl <= 0) {
        tellPageFailed("no-webgl", "");
        glut::fatalError("Unable to create OpenGL 1.0 context (flags 0, profile 0)");
    }
    emscripten_webgl_make_context_current(state.webgl);
    state.windowMade = true;
    glut::resizeCanvas(state.initialWidth, state.initialHeight);
    webgl::startContext(state.width, state.height);
    if (!state.stopped) {
        glut::listenToKeys();
        listenToPointer();
    }
    return 1;
}

void glutReshapeWindow(int width, int height) {
    state.pendingWidth = width < 1 ? 1 : width;
    state.pendingHeight = height < 1 ? 1 : height;
}

void glutPositionWindow(int x, int y) {
    state.pendingX = x;
    state.pendingY = y;
    state.placePending = true;
}

// The page has no window frame: the border and title bar are 0 wide.
int glutGet(GLenum what) {
    switch (what) {
        case GLUT_WINDOW_X: return state.x;
        case GLUT_WINDOW_Y: return state.y;
        case GLUT_WINDOW_WIDTH: return state.width;
        case GLUT_WINDOW_HEIGHT: return state.height;
        case GLUT_SCREEN_WIDTH: {
            const int w = screenSize(0);
            return w > state.x + state.width ? w : state.x + state.width;
        }
        case GLUT_SCREEN_HEIGHT: {
            const int h = screenSize(1);
            return h > state.y + state.height ? h : state.y + state.height;
        }
        case GLUT_WINDOW_BORDER_WIDTH:
        case GLUT_WINDOW_HEADER_HEIGHT: return 0;
        case GLUT_ELAPSED_TIME: return static_cast<int>(emscripten_get_now());
        default: return 0;
    }
}

}  // extern "C"
