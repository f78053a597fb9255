// The record that the swap counter keeps in its shared file.
#pragma once
#include <cstdint>

struct SwapRecord {
    std::uint64_t swaps;  // buffer swaps so far
    double firstSwap;     // CLOCK_MONOTONIC seconds of the first swap
    double lastSwap;      // and of the latest
};
