// Helpers for the BMP reader tests beside the shared writer: headers through the viewer's own
// encoder, the decoder run both ways, and a scratch folder that the tests work in (file names are
// 20-character fields, so they stay short and relative).
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
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
inline image::BmpHeaderFields header(int width, int height, int bits, int paletteEntries = -1) {
    if (paletteEntries < 0) paletteEntries = bits == 8 ? 256 : 0;
    image::BmpHeaderFields h;
    h.pixelOffset = static_cast<std::uint32_t>(54 + 4 * paletteEntries);
    h.infoHeaderSize = 40;
    h.width = width;
    h.height = height;
    h.planes = 1;
    h.bitsPerPixel = static_cast<std::uint16_t>(bits);
    return h;
}

inline Bytes headerBytes(const image::BmpHeaderFields& h) {
    Bytes b(image::kBmpHeaderBytes);
    image::encodeHeader(h, b.data());
    return b;
}

// A 24-bit file of sample() behind a header of the test's own.
inline Bytes file24(int width, int height, const image::BmpHeaderFields& custom) {
    Bytes b = file24(width, height);
    const Bytes h = headerBytes(custom);
    std::copy(h.begin(), h.end(), b.begin());
    return b;
}

// An 8-bit run-length file: `entries` palette entries of paletteColour, then `codes` as given.
inline Bytes fileRle8(int width, int height, const Bytes& codes, int entries = 256) {
    image::BmpHeaderFields h = header(width, height, 8, entries);
    h.compression = 1;
    Bytes b = file8(0, 0, entries);
    const Bytes head = headerBytes(h);
    std::copy(head.begin(), head.end(), b.begin());
    b.insert(b.end(), codes.begin(), codes.end());
    return b;
}

// The run-length codes of an index picture: repeats as runs, the rest as padded stored runs
// (three or more) or runs of one; each row ends with 0 0, the picture with 0 1.
inline Bytes encodeRle8(int width, int height, int (*index)(int, int) = sampleIndex) {
    Bytes codes;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width;) {
            int same = 1;
            while (x + same < width && same < 255 && index(x + same, y) == index(x, y)) ++same;
            int differ = 1;
            while (x + differ < width && differ < 255 && index(x + differ, y) != index(x + differ - 1, y)) ++differ;
            if (same > 1 || differ < 3) {
                codes.insert(codes.end(), {static_cast<std::uint8_t>(same), static_cast<std::uint8_t>(index(x, y))});
                x += same;
                continue;
            }
            codes.insert(codes.end(), {0, static_cast<std::uint8_t>(differ)});
            for (int k = 0; k < differ; ++k) codes.push_back(static_cast<std::uint8_t>(index(x + k, y)));
            if (differ % 2) codes.push_back(0xAB);
            x += differ;
        }
        codes.insert(codes.end(), {0, 0});
    }
    codes.insert(codes.end(), {0, 1});
    return codes;
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
    Bytes palette;  // palette after the decode, from an all-zero start
};

inline Decoded decodeFrom(image::ByteSource& source) {
    image::bmpState = image::BmpState{};
    Decoded d;
    image::BmpHeader header;
    image::BmpLayout layout;
    image::BmpStatus s = image::bmpReadHeader(source, header);
    if (s.fault == image::BmpFault::none) s = image::bmpLayout(header, header.fields.width, header.fields.height, layout);
    if (s.fault == image::BmpFault::none) s = image::bmpCheckLength(layout, source.length());
    if (s.fault == image::BmpFault::none) {
        d.picture.assign(static_cast<std::size_t>(layout.pictureBytes), 0xEE);
        s = image::bmpDecode(source, layout, d.picture.data(), layout.pictureBytes, 1);
    }
    d.fault = s.fault;
    d.sizeStatus = s.sizeStatus;
    for (int c = 1; c <= 256; ++c) {
        const image::PaletteEntry& e = image::bmpState.palette[c];
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

// The reader's one calling sequence on a file, as start-up runs it: openBmp, checkBmpSize against
// the maxima (the header's own sizes where 0), a target of `byteCount` bytes (the picture's when
// negative) plus `spare` bytes, all 0xEE, then readBmpPixels. A target beyond 64 MB would be an
// allocation of what a header merely claims: that ends the process with status 99.
inline Bytes importFile(const std::string& name, int swap = 1, int maxWidth = 0, int maxHeight = 0,
                        long long byteCount = -1, std::size_t spare = 0) {
    image::BmpPicture file;
    int width = 0, height = 0, bytesPerPixel = 0, status = 99;
    image::openBmp(field(name).c_str(), 14, file, width, height, bytesPerPixel);
    image::checkBmpSize(file, maxWidth ? maxWidth : width, maxHeight ? maxHeight : height);
    if (byteCount < 0) byteCount = 3LL * width * height;
    if (byteCount > (64LL << 20)) {
        std::fputs("would allocate the claimed size\n", stderr);
        std::_Exit(99);
    }
    Bytes image(static_cast<std::size_t>(byteCount) + spare, 0xEE);
    image::readBmpPixels(file, byteCount, image.data(), swap, status);
    EXPECT_EQ(status, 0);
    return image;
}

// The same in a death-test child: no input, standard output into `stdoutFile`, and "imported"
// on standard error when nothing stopped.
inline void importInChild(const std::string& name, const char* stdoutFile = "/dev/null", int maxWidth = 0,
                          int maxHeight = 0, long long byteCount = -1) {
    if (!std::freopen("/dev/null", "r", stdin) || !std::freopen(stdoutFile, "w", stdout)) std::_Exit(98);
    importFile(name, 1, maxWidth, maxHeight, byteCount);
    std::fputs("imported\n", stderr);
    std::exit(0);
}

using testsupport::ScratchFolder;

}  // namespace bmptest
