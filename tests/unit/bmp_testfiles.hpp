// Helpers for the BMP reader tests beside the shared writer: headers through the viewer's own
// encoder, the decoder run both ways, and a scratch folder that the tests work in (file names are
// 20-character fields, so they stay short and relative).
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../support/bmp_writer.hpp"
#include "../support/scratch_folder.hpp"
#include "image/bmp.hpp"
#include "image/bmpdecode.hpp"

namespace bmptest {

// A header for width x height at `bits`, rows right after `paletteEntries` entries.
inline image::BH header(int width, int height, int bits, int paletteEntries = -1) {
    if (paletteEntries < 0) paletteEntries = bits == 8 ? 256 : 0;
    image::BH h;
    h.bfOffBits = static_cast<std::uint32_t>(54 + 4 * paletteEntries);
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.nBitsPP = static_cast<std::uint16_t>(bits);
    return h;
}

inline Bytes headerBytes(const image::BH& h) {
    Bytes b(image::kBmpHeaderBytes);
    image::encodeHeader(h, b.data());
    return b;
}

// A 24-bit file of sample() behind a header of the test's own.
inline Bytes file24(int width, int height, const image::BH& custom) {
    Bytes b = file24(width, height);
    const Bytes h = headerBytes(custom);
    std::copy(h.begin(), h.end(), b.begin());
    return b;
}

// The picture as the reader should deliver it: bottom row first, no padding, red-green-blue
// when swapping, blue-green-red otherwise.
template <typename ColourOf>
Bytes expectedImage(int width, int height, int swap, ColourOf colourOf) {
    Bytes out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = colourOf(x, y);
            if (swap)
                out.insert(out.end(), {c.r, c.g, c.b});
            else
                out.insert(out.end(), {c.b, c.g, c.r});
        }
    }
    return out;
}

// What the decoder makes of a file, with the header's own sizes as the maxima.
struct Decoded {
    image::BmpFault fault = image::BmpFault::none;
    int sizeStatus = 0;
    Bytes picture;  // red, green, blue, bottom row first
    Bytes palette;  // COLBGRX after the decode, from an all-zero start
};

inline Decoded decodeFrom(image::ByteSource& source) {
    image::bmpState = image::BmpState{};
    Decoded d;
    image::BmpHeader header;
    image::BmpLayout layout;
    image::BmpStatus s = image::bmpReadHeader(source, header);
    if (s.fault == image::BmpFault::none) s = image::bmpLayout(header, header.fields.biWidth, header.fields.biHeight, layout);
    if (s.fault == image::BmpFault::none) s = image::bmpCheckLength(layout, source.length());
    if (s.fault == image::BmpFault::none) {
        d.picture.assign(static_cast<std::size_t>(layout.pictureBytes), 0xEE);
        s = image::bmpDecode(source, layout, d.picture.data(), layout.pictureBytes, 1);
    }
    d.fault = s.fault;
    d.sizeStatus = s.sizeStatus;
    for (int c = 1; c <= 256; ++c) {
        const image::PaletteEntry& e = image::bmpState.COLBGRX[c];
        d.palette.insert(d.palette.end(), {e.blue, e.green, e.red, e.reserved});
    }
    return d;
}

// The decoder on the bytes in memory and on the same bytes as an open file read through a
// staging buffer of `stagingBytes`: both must give the same status, picture and palette.
inline Decoded decodeBothWays(const Bytes& file, long long stagingBytes) {
    image::MemorySource memory(file.data(), static_cast<long long>(file.size()));
    const Decoded fromMemory = decodeFrom(memory);
    std::FILE* f = std::tmpfile();
    EXPECT_NE(f, nullptr);
    if (!f) return fromMemory;
    if (!file.empty()) std::fwrite(file.data(), 1, file.size(), f);
    std::rewind(f);
    Bytes staging(static_cast<std::size_t>(stagingBytes));
    image::FileSource source(f, static_cast<long long>(file.size()), staging.data(), stagingBytes);
    const Decoded fromFile = decodeFrom(source);
    std::fclose(f);
    EXPECT_EQ(fromFile.fault, fromMemory.fault);
    EXPECT_EQ(fromFile.sizeStatus, fromMemory.sizeStatus);
    EXPECT_TRUE(fromFile.picture == fromMemory.picture) << "file and memory pictures differ";
    EXPECT_TRUE(fromFile.palette == fromMemory.palette) << "file and memory palettes differ";
    return fromMemory;
}

inline void writeFile(const char* name, const Bytes& bytes) {
    ASSERT_TRUE(writeFile(std::string(name), bytes)) << name;
}

// The 20-character blank-padded field of a name.
inline std::string field(const std::string& name) {
    std::string f = name;
    f.resize(20, ' ');
    return f;
}

using testsupport::ScratchFolder;

}  // namespace bmptest
