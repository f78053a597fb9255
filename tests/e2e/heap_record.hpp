// The record that the preloaded heap counter keeps in a shared file while the viewer runs.
#pragma once
#include <cstdint>

struct HeapRecord {
    std::int64_t liveBytes;   // usable bytes of every live heap block
    std::int64_t liveBlocks;
    std::int64_t ownBytes;    // of those, the blocks allocated by the viewer's own code
    std::int64_t ownBlocks;
    std::int64_t swaps;       // buffer swaps: frames drawn
};
