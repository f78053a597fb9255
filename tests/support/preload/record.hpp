// The record that the preloaded shim (preload.cpp) keeps in a shared file while a GL program runs;
// tests, benchmarks and scripts map or read it at any moment. The swap count comes first, so a
// script reads it as the file's first eight bytes.
#pragma once
#include <cstdint>

struct PreloadRecord {
    std::int64_t swaps;       // buffer swaps so far: frames drawn
    double firstSwap;         // CLOCK_MONOTONIC seconds of the first swap
    double lastSwap;          // and of the latest
    std::int64_t liveBytes;   // usable bytes of every live heap block (when the heap is counted)
    std::int64_t liveBlocks;
    std::int64_t ownBytes;    // of those, the blocks allocated by the program's own code
    std::int64_t ownBlocks;
};
