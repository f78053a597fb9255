// Test pictures for the benchmarks: an 8- or 24-bit BMP file whose bytes change along both axes.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "image/bmp.hpp"

namespace bench {

// Writes a width x height file of `bits` (8 or 24); `seed` makes each file's content its own.
inline void writeBmp(const char* name, int width, int height, int bits, int seed = 0) {
    const int bytesPerPixel = bits / 8;
    const int paletteEntries = bits == 8 ? 256 : 0;
    const long long rowBytes = (static_cast<long long>(width) * bytesPerPixel + 3) / 4 * 4;
    image::BH h;
    h.bfOffBits = static_cast<std::uint32_t>(54 + 4 * paletteEntries);
    h.bfSize = static_cast<std::uint32_t>(h.bfOffBits + rowBytes * height);
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.nBitsPP = static_cast<std::uint16_t>(bits);
    std::uint8_t header[image::kBmpHeaderBytes];
    image::encodeHeader(h, header);
    std::FILE* f = std::fopen(name, "wb");
    if (!f) std::exit(1);
    std::fwrite(header, 1, sizeof header, f);
    for (int k = 0; k < paletteEntries; ++k) {
        const std::uint8_t entry[4] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(255 - k),
                                       static_cast<std::uint8_t>(k * 3), 0};
        std::fwrite(entry, 1, 4, f);
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes), 0);
    for (int y = 0; y < height; ++y) {
        for (long long i = 0; i < static_cast<long long>(width) * bytesPerPixel; ++i) {
            row[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7 + y + 31 * seed);
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    if (std::fclose(f) != 0) std::exit(1);
}

}  // namespace bench
