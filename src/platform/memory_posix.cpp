#include "platform/memory.hpp"

#include <malloc.h>
#include <sys/mman.h>

#include <cstdlib>

namespace memory {

namespace {
constexpr std::size_t kHugePage = std::size_t{1} << 21;
constexpr std::size_t kHugeWorthIt = std::size_t{16} << 20;  // below this, plain pages do
}  // namespace

// Buffers of 1 MB and more (pictures until GL has them, screen dumps, the Orvex.Out read) are
// mapped from the system and handed back when released, so a long run keeps a flat footprint
// instead of holding on to the largest transient buffers it ever used. Up to 8 MB free at the top
// of the heap is kept, so the driver's per-frame buffers do not make the heap grow and shrink
// every frame.
void tuneHeap() {
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 8 << 20);
}

void* allocatePicture(std::size_t bytes) {
    if (bytes < kHugeWorthIt) return std::malloc(bytes == 0 ? 1 : bytes);
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* buffer = std::aligned_alloc(kHugePage, rounded);
    if (buffer) ::madvise(buffer, rounded, MADV_HUGEPAGE);  // a hint: failure changes nothing
    return buffer;
}

void releasePicture(void* buffer) { std::free(buffer); }

}  // namespace memory
