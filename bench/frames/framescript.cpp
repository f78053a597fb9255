// Drives a GLUT program frame by frame from outside, so that two builds can be brought to exactly
// the same picture: preloaded into the program, it feeds keys, arrow keys and pointer positions to
// the program's own GLUT callbacks at fixed buffer-swap numbers, runs the wall clock at 10 ms per
// swap, and holds the program still after a given swap so the window can be photographed.
//   FRAMESCRIPT="30:m510,402;31:kp;32:u;40:f"  swap number, then one action:
//     k<char>  the key callback with <char>        u / d   the arrow up / down callback
//     m<x>,<y> the pointer moves there (warp and passive-motion callback)
//     f        freeze after this swap; FRAMESCRIPT_FROZEN names a file written once frozen
//     z        zero callgrind's counts (under callgrind)   q   end the program
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <dlfcn.h>
#include <time.h>
#include <unistd.h>
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using KeyFn = void (*)(unsigned char, int, int);
using SpecialFn = void (*)(int, int, int);
using MotionFn = void (*)(int, int);

KeyFn keyCallback = nullptr;
SpecialFn specialCallback = nullptr;
MotionFn motionCallback = nullptr;
long swaps = 0;
int pointerX = 0, pointerY = 0;
const time_t kClockStart = 1767268800;  // a fixed noon; the clock then moves 10 ms a swap

template <typename Fn>
Fn real(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

void freeze(Display* display) {
    glFinish();
    XSync(display, False);
    if (const char* path = std::getenv("FRAMESCRIPT_FROZEN")) {
        if (FILE* f = std::fopen(path, "w")) {
            std::fprintf(f, "%ld\n", swaps);
            std::fclose(f);
        }
    }
    for (;;) pause();  // the picture stays on the screen until the program is ended
}

// Runs the actions the script gives for swap `n`.
void runActions(long n, Display* display) {
    const char* script = std::getenv("FRAMESCRIPT");
    if (!script) return;
    for (const char* p = script; *p;) {
        char* end = nullptr;
        const long at = std::strtol(p, &end, 10);
        if (end == p || *end != ':') return;
        const char* action = end + 1;
        if (at == n) {
            if (*action == 'k' && keyCallback) {
                keyCallback(static_cast<unsigned char>(action[1]), pointerX, pointerY);
            } else if (*action == 'u' && specialCallback) {
                specialCallback(GLUT_KEY_UP, pointerX, pointerY);
            } else if (*action == 'd' && specialCallback) {
                specialCallback(GLUT_KEY_DOWN, pointerX, pointerY);
            } else if (*action == 'm') {
                std::sscanf(action + 1, "%d,%d", &pointerX, &pointerY);
                glutWarpPointer(pointerX, pointerY);  // later motion events then agree
                if (motionCallback) motionCallback(pointerX, pointerY);
            } else if (*action == 'f') {
                freeze(display);
            } else if (*action == 'z') {
                CALLGRIND_ZERO_STATS;
            } else if (*action == 'q') {
                glFinish();
                std::exit(0);
            }
        }
        p = std::strchr(action, ';');
        if (!p) return;
        ++p;
    }
}

}  // namespace

extern "C" {

void glutKeyboardFunc(KeyFn callback) {
    keyCallback = callback;
    real<void (*)(KeyFn)>("glutKeyboardFunc")(callback);
}

void glutSpecialFunc(SpecialFn callback) {
    specialCallback = callback;
    real<void (*)(SpecialFn)>("glutSpecialFunc")(callback);
}

void glutPassiveMotionFunc(MotionFn callback) {
    motionCallback = callback;
    real<void (*)(MotionFn)>("glutPassiveMotionFunc")(callback);
}

int timespec_get(struct timespec* ts, int base) {
    if (base != TIME_UTC) return 0;
    ts->tv_sec = kClockStart + swaps / 100;
    ts->tv_nsec = (swaps % 100) * 10000000L;
    return base;
}

void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    static auto swap = real<void (*)(Display*, GLXDrawable)>("glXSwapBuffers");
    swap(display, drawable);
    ++swaps;
    runActions(swaps, display);
}

}  // extern "C"
