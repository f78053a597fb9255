// Buffers for whole pictures: large, written once from start to end, released as a whole.
#pragma once
#include <cstddef>

namespace memory {

// Sets how the heap treats large and freed buffers; called once at the start of the run.
void tuneHeap();

// A buffer of `bytes` bytes, or null when memory cannot be obtained. Large buffers are asked
// for in huge pages where the system offers them: a picture of 100 MB then costs a few dozen
// page faults on first touch instead of 25,000.
void* allocatePicture(std::size_t bytes);
void releasePicture(void* buffer);

}  // namespace memory
