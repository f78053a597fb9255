#include "platform/memory.hpp"

#include <cstdlib>

namespace memory {

// The module's heap grows as needed and has no pages to hint at.
void tuneHeap() {}

void* allocatePicture(std::size_t bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }

void releasePicture(void* buffer) { std::free(buffer); }

}  // namespace memory
