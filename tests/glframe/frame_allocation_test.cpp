// The steady frame allocates nothing and prints nothing. A counting malloc and operator new see
// every allocation of the process; those made by code linked into this binary (the viewer's
// modules) while displayFrame runs must be none, in every view mode. GL, GLU and GLUT are shared
// libraries and keep their own allocations, which are counted apart only for the record.
#include <gtest/gtest.h>  // before Xlib, whose macros clash with its names

#include <GL/freeglut.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "frame/frame.hpp"
#include "model/state.hpp"
#include "screen/text.hpp"

extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
extern "C" void __libc_free(void*);
extern "C" char __executable_start;
extern "C" char etext;

namespace {

std::atomic<bool> counting{false};
std::atomic<long> ownAllocations{0};      // made from code in this binary
std::atomic<long> libraryAllocations{0};  // made from the shared libraries

void countFrom(const void* caller) {
    if (!counting.load(std::memory_order_relaxed)) return;
    const char* at = static_cast<const char*>(caller);
    if (at >= &__executable_start && at < &etext) {
        ownAllocations.fetch_add(1, std::memory_order_relaxed);
    } else {
        libraryAllocations.fetch_add(1, std::memory_order_relaxed);
    }
}

}  // namespace

extern "C" void* malloc(std::size_t n) {
    countFrom(__builtin_return_address(0));
    return __libc_malloc(n);
}
extern "C" void* calloc(std::size_t k, std::size_t n) {
    countFrom(__builtin_return_address(0));
    return __libc_calloc(k, n);
}
extern "C" void* realloc(void* p, std::size_t n) {
    countFrom(__builtin_return_address(0));
    return __libc_realloc(p, n);
}
extern "C" void free(void* p) { __libc_free(p); }

// Every operator new is ours or the test's: the graphics libraries are C.
void* operator new(std::size_t n) {
    if (counting.load(std::memory_order_relaxed)) ownAllocations.fetch_add(1, std::memory_order_relaxed);
    void* p = __libc_malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { __libc_free(p); }
void operator delete[](void* p) noexcept { __libc_free(p); }
void operator delete(void* p, std::size_t) noexcept { __libc_free(p); }
void operator delete[](void* p, std::size_t) noexcept { __libc_free(p); }

namespace {

constexpr int kWarmUpFrames = 10;
constexpr int kCountedFrames = 100;

class FrameAllocation : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        probe = XOpenDisplay(nullptr);  // kept open: the server must not reset under GLUT
        if (!probe) return;
        char folder[] = "/tmp/orvex-frame-XXXXXX";  // the L key writes Orvex.Out here
        if (!mkdtemp(folder) || chdir(folder) != 0) return;
        scratch = folder;
        int argc = 1;
        char name[] = "noname";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(1024, 768);
        glutInitWindowPosition(0, 0);
        glutCreateWindow("Orvex.Exe v0.73");
        glutDisplayFunc([] {});
        glEnable(GL_DEPTH_TEST);
        setUpImage();
        screen::buildTextAtlas();  // as start-up does: the frames draw their texts from it
    }

    static void TearDownTestSuite() {
        if (scratch.empty()) return;
        std::remove((scratch + "/Orvex.Out").c_str());
        if (chdir("/") == 0) rmdir(scratch.c_str());
    }

    // One configured 64 x 32 image with its texture, matrix and quadric, as start-up leaves it.
    static void setUpImage() {
        model::State& s = model::state;
        s.imageCount = 1;
        s.selectedImage = s.textureSlot = 1;
        s.radiiKm[1] = 6371.0;
        glGenTextures(model::kMaxImages, &s.textureNames[1]);
        glBindTexture(GL_TEXTURE_2D, s.textureNames[1]);
        static unsigned char texels[64 * 32 * 3];
        for (int k = 0; k < 64 * 32 * 3; ++k) texels[k] = static_cast<unsigned char>(k * 7);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, 64, 32, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
        for (int k = 1; k <= 16; ++k) s.textureMatrices[1][k] = (k == 1 || k == 6 || k == 11 || k == 16) ? 1.0 : 0.0;
        s.quadrics[1] = s.currentQuadric = gluNewQuadric();
        gluQuadricNormals(s.quadrics[1], GLU_SMOOTH);
        gluQuadricTexture(s.quadrics[1], GL_TRUE);
    }

    void SetUp() override {
        if (!probe || scratch.empty()) GTEST_SKIP() << "no X display to open a window on";
    }

    // Draws frames with GLUT's events handled between them, as its main loop would.
    static void frames(int count) {
        for (int k = 0; k < count; ++k) {
            frame::displayFrame();
            glutMainLoopEvent();
        }
    }

    // Types `key` and draws a few frames: a step between the modes that are measured.
    static void switchWith(int key) {
        model::state.pendingKey = key;
        frames(3);
    }

    // Types `key` (0 for none), warms up, then counts the allocations and the console bytes of
    // the steady frames that follow.
    static void expectQuietFrames(int key, const char* mode) {
        model::state.pendingKey = key;
        frames(kWarmUpFrames);
        std::fflush(stdout);
        std::fflush(stderr);
        const int savedOut = dup(1), savedErr = dup(2);
        const std::string sink = scratch + "/console.txt";
        const int sinkFd = open(sink.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(sinkFd, 0);
        dup2(sinkFd, 1);
        dup2(sinkFd, 2);
        ownAllocations = 0;
        libraryAllocations = 0;
        counting = true;
        for (int k = 0; k < kCountedFrames; ++k) {
            frame::displayFrame();
            counting = false;
            glutMainLoopEvent();
            counting = true;
        }
        counting = false;
        std::fflush(stdout);
        std::fflush(stderr);
        dup2(savedOut, 1);
        dup2(savedErr, 2);
        close(savedOut);
        close(savedErr);
        close(sinkFd);
        struct stat printed {};
        stat(sink.c_str(), &printed);
        EXPECT_EQ(ownAllocations.load(), 0) << mode;
        EXPECT_EQ(printed.st_size, 0) << mode << ": the frames printed on the console";
        EXPECT_EQ(model::state.glErrorCode, 0) << mode;
        std::printf("[ %-22s ] %d frames: %ld allocations by the viewer, %ld by the GL libraries\n", mode,
                    kCountedFrames, ownAllocations.load(), libraryAllocations.load());
    }

    static Display* probe;
    static std::string scratch;
};

Display* FrameAllocation::probe = nullptr;
std::string FrameAllocation::scratch;

// The hook itself: an allocation made here while counting is seen, one made outside is not.
TEST_F(FrameAllocation, CountsTheAllocationsOfThisBinaryOnlyWhileCounting) {
    ownAllocations = 0;
    void* volatile before = std::malloc(16);
    counting = true;
    void* volatile during = std::malloc(16);
    int* volatile object = new int(7);
    counting = false;
    std::free(before);
    std::free(during);
    delete object;
    EXPECT_EQ(ownAllocations.load(), 2);
}

// The modes follow one another in one run, as a user's keys would take the viewer through them.
TEST_F(FrameAllocation, SteadyFramesAllocateNothingAndPrintNothingInEveryMode) {
    expectQuietFrames(0, "grid and labels");
    expectQuietFrames('P', "place names");
    expectQuietFrames('H', "help and place names");
    switchWith('H');
    switchWith('P');
    expectQuietFrames('E', "stereo L:R");
    expectQuietFrames('E', "stereo R:L");
    switchWith('E');
    expectQuietFrames('I', "image off");
    switchWith('I');
    expectQuietFrames('R', "auto-rotation");
    expectQuietFrames('L', "small window");
    switchWith('L');
    expectQuietFrames(0, "full view again");
}

}  // namespace
