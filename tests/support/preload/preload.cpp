// The shim preloaded into the viewer (and into the benchmarks' reference programs) by the tests,
// the benchmarks and the frame scripts; the program itself needs no option and no change.
//   ORVEX_PRELOAD_RECORD=file   keeps a PreloadRecord there (record.hpp): the buffer swaps and their
//                               times, which the tests wait on as frames and the benchmarks count
//   ORVEX_PRELOAD_HEAP=1        counts live heap bytes in the record as well, and apart from them
//                               those allocated by the executable's own code: flat when nothing
//                               leaks, whatever the driver's working set does to resident memory
//   FRAMESCRIPT="30:m510,402;31:kp;32:u;40:f"   drives the program frame by frame, so that two
//                               builds reach exactly the same picture: swap number, then one action
//     k<char>  the key callback with <char>        u / d   the arrow up / down callback
//     m<x>,<y> the pointer moves there (warp and passive-motion callback)
//     f        freeze after this swap; FRAMESCRIPT_FROZEN names a file written once frozen
//     z        zero callgrind's counts (under callgrind)   q   end the program
//                               and runs the wall clock at 10 ms a swap.
// Built without the heap half (ORVEX_PRELOAD_NO_HEAP) where a sanitizer brings its own allocator.
#include <GL/freeglut.h>
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <malloc.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "record.hpp"

// The frame script's "z" needs valgrind's header, which a package build may not have.
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_ZERO_STATS
#endif

#ifndef ORVEX_PRELOAD_NO_HEAP
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
void* __libc_memalign(size_t, size_t);
}
#endif

namespace {

PreloadRecord early{};  // counts until the shared file is mapped
PreloadRecord* record = &early;

template <typename Fn>
Fn real(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

double now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// ============================================================================================
// The heap
// ============================================================================================

#ifndef ORVEX_PRELOAD_NO_HEAP
bool heapCounted() {
    static const bool counted = std::getenv("ORVEX_PRELOAD_HEAP") != nullptr;  // no allocation
    return counted;
}

std::uintptr_t ownStart = 0;  // the executable's code
std::uintptr_t ownEnd = 0;

// The blocks allocated by the viewer's own code, with their sizes: open addressing with linear
// probing, guarded by a spin lock (the driver's threads free blocks too).
constexpr std::size_t kSlots = 1 << 16;
struct Slot {
    std::uintptr_t block;
    std::int64_t bytes;
};
Slot ownBlocks[kSlots];
std::atomic_flag tableLock = ATOMIC_FLAG_INIT;

struct Guard {
    Guard() { while (tableLock.test_and_set(std::memory_order_acquire)) {} }
    ~Guard() { tableLock.clear(std::memory_order_release); }
};

std::size_t slotOf(std::uintptr_t block) { return (block >> 4) * 0x9E3779B97F4A7C15ull >> 48; }

void insertOwn(std::uintptr_t block, std::int64_t bytes) {
    Guard guard;
    for (std::size_t i = slotOf(block), n = 0; n < kSlots; i = (i + 1) % kSlots, ++n) {
        if (ownBlocks[i].block == 0) {
            ownBlocks[i] = {block, bytes};
            return;
        }
    }
}

// Removes a block and returns its size, or -1 when it is none of the viewer's own.
std::int64_t removeOwn(std::uintptr_t block) {
    Guard guard;
    std::size_t i = slotOf(block);
    for (std::size_t n = 0; ownBlocks[i].block != block; i = (i + 1) % kSlots, ++n) {
        if (ownBlocks[i].block == 0 || n == kSlots) return -1;
    }
    const std::int64_t bytes = ownBlocks[i].bytes;
    // Backward-shift deletion keeps every later entry of the probe run reachable.
    for (std::size_t j = (i + 1) % kSlots; ownBlocks[j].block != 0; j = (j + 1) % kSlots) {
        const std::size_t home = slotOf(ownBlocks[j].block);
        if ((j > i && (home <= i || home > j)) || (j < i && home <= i && home > j)) {
            ownBlocks[i] = ownBlocks[j];
            i = j;
        }
    }
    ownBlocks[i] = {0, 0};
    return bytes;
}

void add(std::int64_t& field, std::int64_t amount) { __atomic_fetch_add(&field, amount, __ATOMIC_RELAXED); }

void note(void* p, const void* caller) {
    if (!p || !heapCounted()) return;
    const auto bytes = static_cast<std::int64_t>(malloc_usable_size(p));
    add(record->liveBytes, bytes);
    add(record->liveBlocks, 1);
    const auto at = reinterpret_cast<std::uintptr_t>(caller);
    if (at >= ownStart && at < ownEnd) {
        insertOwn(reinterpret_cast<std::uintptr_t>(p), bytes);
        add(record->ownBytes, bytes);
        add(record->ownBlocks, 1);
    }
}

// Returns the block's size if it was one of the viewer's own, else -1.
std::int64_t forget(void* p) {
    if (!p || !heapCounted()) return -1;
    add(record->liveBytes, -static_cast<std::int64_t>(malloc_usable_size(p)));
    add(record->liveBlocks, -1);
    const std::int64_t own = removeOwn(reinterpret_cast<std::uintptr_t>(p));
    if (own >= 0) {
        add(record->ownBytes, -own);
        add(record->ownBlocks, -1);
    }
    return own;
}

void* aligned(std::size_t alignment, std::size_t n, const void* caller) {
    void* p = __libc_memalign(alignment, n);
    note(p, caller);
    return p;
}

void* allocate(std::size_t n, const void* caller) {
    void* p = __libc_malloc(n ? n : 1);
    note(p, caller);
    if (!p) throw std::bad_alloc();
    return p;
}

// The executable is the first object the dynamic linker lists; its code is its executable segment.
int findExecutable(dl_phdr_info* info, size_t, void*) {
    for (int k = 0; k < info->dlpi_phnum; ++k) {
        const ElfW(Phdr)& segment = info->dlpi_phdr[k];
        if (segment.p_type == PT_LOAD && (segment.p_flags & PF_X)) {
            ownStart = info->dlpi_addr + segment.p_vaddr;
            ownEnd = ownStart + segment.p_memsz;
        }
    }
    return 1;
}

#endif  // ORVEX_PRELOAD_NO_HEAP

// ============================================================================================
// The frame script
// ============================================================================================

using KeyFn = void (*)(unsigned char, int, int);
using SpecialFn = void (*)(int, int, int);
using MotionFn = void (*)(int, int);

KeyFn keyCallback = nullptr;
SpecialFn specialCallback = nullptr;
MotionFn motionCallback = nullptr;
int pointerX = 0, pointerY = 0;
const time_t kClockStart = 1767268800;  // a fixed noon; the clock then moves 10 ms a swap

void freeze(Display* display) {
    glFinish();
    XSync(display, False);
    if (const char* path = std::getenv("FRAMESCRIPT_FROZEN")) {
        if (FILE* f = std::fopen(path, "w")) {
            std::fprintf(f, "%lld\n", static_cast<long long>(record->swaps));
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

__attribute__((constructor(101))) void start() {
#ifndef ORVEX_PRELOAD_NO_HEAP
    dl_iterate_phdr(findExecutable, nullptr);
#endif
    const char* path = std::getenv("ORVEX_PRELOAD_RECORD");
    if (!path) return;
    const int fd = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    void* mapped = MAP_FAILED;
    if (::ftruncate(fd, sizeof(PreloadRecord)) == 0)
        mapped = ::mmap(nullptr, sizeof(PreloadRecord), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED) return;
    auto* shared = static_cast<PreloadRecord*>(mapped);
    *shared = early;
    record = shared;
}

}  // namespace

extern "C" {

void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    static const auto swap = real<void (*)(Display*, GLXDrawable)>("glXSwapBuffers");
    swap(display, drawable);
    const double t = now();
    if (record->swaps == 0) record->firstSwap = t;
    record->lastSwap = t;
    const std::int64_t swaps = record->swaps + 1;
    __atomic_store_n(&record->swaps, swaps, __ATOMIC_RELEASE);
    runActions(swaps, display);
}

// The frame script's clock; the real one without a script.
int timespec_get(struct timespec* ts, int base) {
    static const bool scripted = std::getenv("FRAMESCRIPT") != nullptr;
    if (!scripted) {
        static const auto clock = real<int (*)(struct timespec*, int)>("timespec_get");
        return clock(ts, base);
    }
    if (base != TIME_UTC) return 0;
    const std::int64_t swaps = record->swaps;
    ts->tv_sec = kClockStart + swaps / 100;
    ts->tv_nsec = (swaps % 100) * 10000000L;
    return base;
}

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

#ifndef ORVEX_PRELOAD_NO_HEAP
void* malloc(size_t n) {
    void* p = __libc_malloc(n);
    note(p, __builtin_return_address(0));
    return p;
}

void* calloc(size_t count, size_t n) {
    void* p = __libc_calloc(count, n);
    note(p, __builtin_return_address(0));
    return p;
}

void* realloc(void* old, size_t n) {
    const void* caller = __builtin_return_address(0);
    const std::int64_t own = forget(old);
    void* p = __libc_realloc(old, n);
    if (!p && old && n != 0) {  // failed: the old block is still there
        note(old, own >= 0 ? reinterpret_cast<const void*>(ownStart) : nullptr);
        return nullptr;
    }
    note(p, caller);
    return p;
}

void* reallocarray(void* old, size_t count, size_t n) {
    size_t bytes;
    if (__builtin_mul_overflow(count, n, &bytes)) {
        errno = ENOMEM;
        return nullptr;
    }
    return realloc(old, bytes);
}

void free(void* p) {
    forget(p);
    __libc_free(p);
}

void* memalign(size_t alignment, size_t n) { return aligned(alignment, n, __builtin_return_address(0)); }
void* aligned_alloc(size_t alignment, size_t n) { return aligned(alignment, n, __builtin_return_address(0)); }
void* valloc(size_t n) { return aligned(static_cast<size_t>(getpagesize()), n, __builtin_return_address(0)); }

int posix_memalign(void** out, size_t alignment, size_t n) {
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* p = aligned(alignment, n, __builtin_return_address(0));
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}

#endif
}  // extern "C"

#ifndef ORVEX_PRELOAD_NO_HEAP
void* operator new(std::size_t n) { return allocate(n, __builtin_return_address(0)); }
void* operator new[](std::size_t n) { return allocate(n, __builtin_return_address(0)); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    void* p = __libc_malloc(n ? n : 1);
    note(p, __builtin_return_address(0));
    return p;
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    void* p = __libc_malloc(n ? n : 1);
    note(p, __builtin_return_address(0));
    return p;
}
void* operator new(std::size_t n, std::align_val_t a) {
    void* p = aligned(static_cast<std::size_t>(a), n ? n : 1, __builtin_return_address(0));
    if (!p) throw std::bad_alloc();
    return p;
}
void* operator new[](std::size_t n, std::align_val_t a) {
    void* p = aligned(static_cast<std::size_t>(a), n ? n : 1, __builtin_return_address(0));
    if (!p) throw std::bad_alloc();
    return p;
}
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, std::size_t) noexcept { free(p); }
void operator delete[](void* p, std::size_t) noexcept { free(p); }
void operator delete(void* p, std::align_val_t) noexcept { free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { free(p); }
#endif
