#include "platform/memory.hpp"

#include <cstdlib>

namespace memory {

// The Windows heap already hands large blocks back to the system when they are freed.
void tuneHeap() {}

// Plain pages: large pages need a privilege that an ordinary user's account does not hold.
void* allocatePicture(std::size_t bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }

void releasePicture(void* buffer) { std::free(buffer); }

}  // namespace memory
