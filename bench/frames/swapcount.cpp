// Counts buffer swaps from outside a GL program: preloaded into it, this wraps glXSwapBuffers
// and keeps the count and the time of every swap in a small file that the benchmark reads while
// the program runs. The counted program needs no option and no change of its own.
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

#include "swapcount.hpp"

namespace {

SwapRecord* record = nullptr;

SwapRecord* openRecord() {
    const char* path = std::getenv("SWAPCOUNT_FILE");
    if (!path) return nullptr;
    int fd = ::open(path, O_RDWR | O_CREAT, 0644);
    if (fd < 0) return nullptr;
    if (::ftruncate(fd, sizeof(SwapRecord)) != 0) {
        ::close(fd);
        return nullptr;
    }
    void* p = ::mmap(nullptr, sizeof(SwapRecord), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    return p == MAP_FAILED ? nullptr : static_cast<SwapRecord*>(p);
}

double now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

}  // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    using SwapFn = void (*)(Display*, GLXDrawable);
    static SwapFn real = reinterpret_cast<SwapFn>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    real(display, drawable);
    if (!record) record = openRecord();
    if (record) {
        const double t = now();
        if (record->swaps == 0) record->firstSwap = t;
        record->lastSwap = t;
        __atomic_store_n(&record->swaps, record->swaps + 1, __ATOMIC_RELEASE);
    }
}
