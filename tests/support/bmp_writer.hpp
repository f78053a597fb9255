// The one BMP writer of the tests, the benchmarks and the fuzz seeds: uncompressed 8-, 24- and
// 32-bit files with the 40-byte info header (and the shorter and longer info headers made from
// such a file), rows padded to four bytes, and the asymmetric sample pictures they share.
// Header only and free of the viewer's own code, so that a file the viewer misreads is not
// written by the same mistake.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

namespace bmptest {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

// An asymmetric picture: every pixel differs from its mirror images and from its colour swap.
// Row y = 0 is the bottom row.
inline Rgb sample(int x, int y) {
    return Rgb{static_cast<std::uint8_t>(10 * x + y + 1), static_cast<std::uint8_t>(100 + 7 * y + x),
               static_cast<std::uint8_t>(250 - 3 * x - 40 * y)};
}

// Palette entry k of the sample palette files, and their pixels.
inline Rgb paletteColour(int k) {
    return Rgb{static_cast<std::uint8_t>(3 * k + 1), static_cast<std::uint8_t>(255 - k),
               static_cast<std::uint8_t>(k ^ 0x5A)};
}
inline int sampleIndex(int x, int y) { return (x + 5 * y + 3) % 256; }

// What a file holds besides its pixels.
struct Shape {
    int width = 0;
    int height = 0;              // rows of the picture, > 0
    int bits = 24;               // 8, 24 or 32
    int paletteEntries = 0;      // four-byte entries between the header and the rows
    bool topDown = false;        // rows stored top row first, under a negative height
    std::uint8_t padding = 0;    // the bytes that pad each row to four
    std::uint8_t reserved = 0;   // the fourth byte of each palette entry
    long long rowBytes() const { return (static_cast<long long>(width) * bits / 8 + 3) / 4 * 4; }
    long long offBits() const { return 54 + 4LL * paletteEntries; }
    long long fileBytes() const { return offBits() + rowBytes() * height; }
};

// Overwrites a 16- or 32-bit little-endian field of a built file.
inline void patch16(Bytes& b, std::size_t offset, std::uint32_t value) {
    for (int k = 0; k < 2; ++k) b[offset + k] = static_cast<std::uint8_t>(value >> (8 * k));
}
inline void patch32(Bytes& b, std::size_t offset, std::uint32_t value) {
    for (int k = 0; k < 4; ++k) b[offset + k] = static_cast<std::uint8_t>(value >> (8 * k));
}

// The 54 header bytes of a shape: file header, then the 40-byte info header.
inline Bytes headerOf(const Shape& s) {
    Bytes b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    patch32(b, 2, static_cast<std::uint32_t>(s.fileBytes()));
    patch32(b, 10, static_cast<std::uint32_t>(s.offBits()));
    patch32(b, 14, 40);
    patch32(b, 18, static_cast<std::uint32_t>(s.width));
    patch32(b, 22, static_cast<std::uint32_t>(s.topDown ? -s.height : s.height));
    patch16(b, 26, 1);
    patch16(b, 28, static_cast<std::uint32_t>(s.bits));
    patch32(b, 34, static_cast<std::uint32_t>(s.rowBytes() * s.height));
    patch32(b, 38, 2835);  // 72 dots per inch
    patch32(b, 42, 2835);
    patch32(b, 46, static_cast<std::uint32_t>(s.paletteEntries));
    return b;
}

// Writes a whole file through emit(bytes, count): the header, palette entry k from entryOf(k),
// then the pixels, pixelOf(x, y) with y = 0 the bottom row: a colour at 24 and 32 bits (the
// fourth byte 255), a palette index at 8. Rows go out one at a time, so a large file never
// lies in memory whole.
template <typename PixelOf, typename EntryOf, typename Emit>
void writeBmp(const Shape& s, PixelOf pixelOf, EntryOf entryOf, Emit emit) {
    const Bytes header = headerOf(s);
    emit(header.data(), header.size());
    for (int k = 0; k < s.paletteEntries; ++k) {
        const Rgb c = entryOf(k);
        const std::uint8_t entry[4] = {c.b, c.g, c.r, s.reserved};
        emit(entry, 4);
    }
    Bytes row(static_cast<std::size_t>(s.rowBytes()), s.padding);
    for (int stored = 0; stored < s.height; ++stored) {
        const int y = s.topDown ? s.height - 1 - stored : stored;
        std::uint8_t* at = row.data();
        for (int x = 0; x < s.width; ++x) {
            if constexpr (std::is_same_v<decltype(pixelOf(x, y)), Rgb>) {
                const Rgb c = pixelOf(x, y);
                *at++ = c.b;
                *at++ = c.g;
                *at++ = c.r;
                if (s.bits == 32) *at++ = 255;
            } else {
                *at++ = static_cast<std::uint8_t>(pixelOf(x, y));
            }
        }
        emit(row.data(), row.size());
    }
}

inline Rgb noPalette(int) { return Rgb{}; }

// The file in memory.
template <typename PixelOf, typename EntryOf = Rgb (*)(int)>
Bytes encodeBmp(const Shape& s, PixelOf pixelOf, EntryOf entryOf = noPalette) {
    Bytes b;
    b.reserve(static_cast<std::size_t>(s.fileBytes()));
    writeBmp(s, pixelOf, entryOf, [&](const std::uint8_t* p, std::size_t n) { b.insert(b.end(), p, p + n); });
    return b;
}

// The file written to `path` row by row; false when it could not be written whole.
template <typename PixelOf, typename EntryOf = Rgb (*)(int)>
bool saveBmp(const std::string& path, const Shape& s, PixelOf pixelOf, EntryOf entryOf = noPalette) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = true;
    writeBmp(s, pixelOf, entryOf, [&](const std::uint8_t* p, std::size_t n) { ok = ok && std::fwrite(p, 1, n, f) == n; });
    return std::fclose(f) == 0 && ok;
}

inline bool writeFile(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// A 24-bit file of sample() with rows padded by 0xAB, bottom row first, pixels blue, green, red.
inline Bytes file24(int width, int height) {
    Shape s;
    s.width = width;
    s.height = height;
    s.padding = 0xAB;
    return encodeBmp(s, sample);
}

// An 8-bit file: `entries` palette entries of paletteColour (fourth byte 0x77), then the rows,
// pixels sampleIndex(x, y) unless `index` overrides.
inline Bytes file8(int width, int height, int entries, int (*index)(int, int) = sampleIndex) {
    Shape s;
    s.width = width;
    s.height = height;
    s.bits = 8;
    s.paletteEntries = entries;
    s.padding = 0xAB;
    s.reserved = 0x77;
    return encodeBmp(s, index, paletteColour);
}

// The same picture behind another info header size that writers use: 12 (16-bit sizes, 3-byte
// palette entries) or longer than 40, whose extra bytes are 0xC3, which would show as wrong
// colours if read as palette or rows.
inline Bytes withInfoHeader(const Bytes& file40, int infoSize) {
    const int bits = file40[28];
    const std::uint32_t offBits = file40[10] | (file40[11] << 8);
    const int entries = static_cast<int>(offBits - 54) / 4;
    Bytes b(file40.begin(), file40.begin() + 14);
    if (infoSize == 12) {
        const std::uint8_t core[12] = {12, 0, 0, 0, file40[18], file40[19], file40[22], file40[23], 1, 0,
                                       static_cast<std::uint8_t>(bits), 0};
        b.insert(b.end(), core, core + 12);
        for (int k = 0; k < entries; ++k) {
            const auto e = file40.begin() + 54 + 4 * k;
            b.insert(b.end(), e, e + 3);
        }
    } else {
        b.insert(b.end(), file40.begin() + 14, file40.begin() + 14 + std::min(infoSize, 40));
        b.resize(14 + static_cast<std::size_t>(infoSize), 0xC3);
        b[14] = static_cast<std::uint8_t>(infoSize);
        b.insert(b.end(), file40.begin() + 54, file40.begin() + 54 + 4 * entries);
    }
    b.insert(b.end(), file40.begin() + 54 + 4 * entries, file40.end());
    patch32(b, 10, static_cast<std::uint32_t>(b.size() - (file40.size() - 54 - 4 * entries)));
    return b;
}

}  // namespace bmptest
