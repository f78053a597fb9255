#include "platform/memory.hpp"

#include <sys/mman.h>

#include <cstdlib>

namespace memory {

namespace {
constexpr std::size_t kHugePage = std::size_t{1} << 21;
constexpr std::size_t kHugeWorthIt = std::size_t{16} << 20;  // below this, plain pages do
}  // namespace

void* allocatePicture(std::size_t bytes) {
    if (bytes < kHugeWorthIt) return std::malloc(bytes == 0 ? 1 : bytes);
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* buffer = std::aligned_alloc(kHugePage, rounded);
    if (buffer) ::madvise(buffer, rounded, MADV_HUGEPAGE);  // a hint: failure changes nothing
    return buffer;
}

void releasePicture(void* buffer) { std::free(buffer); }

}  // namespace memory
