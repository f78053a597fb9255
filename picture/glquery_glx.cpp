#include "glquery.hpp"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace picture {

namespace {

int answerFd = -1;  // the child's write end
pid_t child = -1;   // the child asking, and the read end of its pipe
int answerRead = -1;
const char* notAsked = "no display";

// Sends the child's answer, "N" or "-reason", and ends the child.
[[noreturn]] void answer(const std::string& text) {
    const ssize_t written = ::write(answerFd, text.data(), text.size());
    (void)written;
    _exit(0);
}

int onXError(Display* display, XErrorEvent* event) {
    char text[160] = {};
    XGetErrorText(display, event->error_code, text, sizeof text - 1);
    answer(std::string("-X error: ") + text);
}

// The widest 2:1 texture the display's OpenGL accepts, from a context on a small unmapped window.
[[noreturn]] void childAsks() {
    XSetErrorHandler(onXError);
    Display* display = XOpenDisplay(nullptr);
    if (!display) answer("-no display to ask");
    int attributes[] = {GLX_RGBA, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (!visual) answer("-the display offers no OpenGL visual");
    const Window root = RootWindow(display, visual->screen);
    XSetWindowAttributes settings{};
    settings.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    const Window window = XCreateWindow(display, root, 0, 0, 16, 16, 0, visual->depth, InputOutput,
                                        visual->visual, CWColormap, &settings);
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    if (!context || !glXMakeCurrent(display, window, context)) answer("-cannot make an OpenGL context");
    const int size = largestProxyTexture();
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, context);
    XDestroyWindow(display, window);
    XFree(visual);
    XCloseDisplay(display);
    if (size <= 0) answer("-OpenGL gave no texture size");
    answer(std::to_string(size));
}

}  // namespace

void askGlMaxTexture() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return;
    notAsked = "cannot start a process to ask it";
    int ends[2];
    if (pipe(ends) != 0) return;
    std::fflush(nullptr);  // the child must not print what the parent has buffered
    child = fork();
    if (child == 0) {
        ::close(ends[0]);
        answerFd = ends[1];
        childAsks();
    }
    ::close(ends[1]);
    if (child < 0) {
        ::close(ends[0]);
        return;
    }
    answerRead = ends[0];
}

int glMaxTexture(int seconds, std::string& reason) {
    if (child < 0) {
        reason = notAsked;
        return 0;
    }
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd ready{answerRead, POLLIN, 0};
        if (left.count() <= 0 || poll(&ready, 1, int(left.count())) == 0) {
            dropGlQuery();
            reason = "no answer within " + std::to_string(seconds) + " s";
            return 0;
        }
        char chunk[256];
        const ssize_t got = ::read(answerRead, chunk, sizeof chunk);
        if (got > 0) text.append(chunk, size_t(got));
        else if (got == 0 || errno != EINTR) break;
    }
    dropGlQuery();
    if (text.empty()) reason = "the process asking it ended without an answer";
    else if (text[0] == '-') reason = text.substr(1);
    else return std::atoi(text.c_str());
    return 0;
}

void dropGlQuery() {
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    if (answerRead >= 0) ::close(answerRead);
    child = -1, answerRead = -1;
}

}  // namespace picture
