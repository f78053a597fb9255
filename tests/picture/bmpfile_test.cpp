#include "bmpfile.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "../unit/bmp_testfiles.hpp"

namespace {

using bmptest::Bytes;
using bmptest::Rgb;

Rgb grey(int x, int y) { return Rgb{std::uint8_t(40 * y + 7 * x), std::uint8_t(40 * y + 7 * x), std::uint8_t(40 * y + 7 * x)}; }
Rgb manyColours(int x, int y) { return Rgb{std::uint8_t(8 * x), std::uint8_t(16 * y), std::uint8_t(4 * (x + y))}; }

// Each picture (colourOf(x, y), y = 0 the bottom row) is handed to the writer top row first in
// strips, as `bands` bytes a pixel (1: grey), and the file read back with the viewer's decoder.
TEST(PictureBmpWriter, LayoutsReadBackThroughTheViewersDecoder) {
    const struct {
        int width, height, depth, bands, stripRows;
        bool dither;
        Rgb (*colourOf)(int, int);
        int tolerance;  // the largest difference of a channel read back
    } kLayouts[] = {
        {5, 3, 24, 3, 1, false, bmptest::sample, 0},  // rows padded by 1
        {7, 5, 24, 3, 2, false, bmptest::sample, 0},  // padded by 3
        {3, 2, 24, 1, 2, false, grey, 0},
        {5, 3, 8, 1, 2, false, grey, 0},               // the grey palette
        {5, 2, 8, 3, 1, false, grey, 0},               // grey colours: the grey palette
        {6, 4, 8, 3, 3, false, bmptest::sample, 0},   // few colours are kept
        {5, 3, 8, 3, 2, true, bmptest::sample, 0},    // and dithering keeps them too
        {32, 16, 8, 3, 5, false, manyColours, 4},     // 512 colours: a median-cut palette
    };
    for (const auto& row : kLayouts) {
        SCOPED_TRACE(::testing::Message() << row.width << " x " << row.height << ", " << row.depth << " bits from "
                                          << row.bands << (row.dither ? ", dithered" : ""));
        Bytes pixels;
        for (int y = row.height - 1; y >= 0; --y)
            for (int x = 0; x < row.width; ++x) {
                const Rgb c = row.colourOf(x, y);
                pixels.insert(pixels.end(), {c.r, c.g, c.b});
                if (row.bands == 1) pixels.resize(pixels.size() - 2);
            }
        std::FILE* file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        {
            picture::BmpWriter writer(fileno(file), row.width, row.height, row.depth, row.bands, pixels, row.dither);
            const std::size_t stride = std::size_t(row.width) * row.bands;
            for (int top = 0; top < row.height; top += row.stripRows)
                writer.write({pixels.data() + stride * top, stride, top, std::min(row.stripRows, row.height - top)});
        }
        Bytes bytes(1 << 16);
        std::rewind(file);
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
        std::fclose(file);

        bmptest::Shape shape;
        shape.width = row.width, shape.height = row.height, shape.bits = row.depth;
        shape.paletteEntries = row.depth == 8 ? 256 : 0;
        ASSERT_EQ(bytes.size(), std::size_t(shape.fileBytes()));
        Bytes header = bmptest::headerOf(shape);
        if (row.depth == 8) bmptest::patch32(header, 50, 256);  // every colour important
        EXPECT_TRUE(std::equal(header.begin(), header.end(), bytes.begin())) << "header fields";
        for (int stored = 0; stored < row.height; ++stored)
            for (long long at = row.width * row.depth / 8; at < shape.rowBytes(); ++at)
                EXPECT_EQ(bytes[std::size_t(shape.offBits() + stored * shape.rowBytes() + at)], 0) << "row " << stored;

        image::MemorySource source(bytes.data(), static_cast<long long>(bytes.size()));
        const Bytes read = bmptest::decodeFrom(source).picture;
        const Bytes want = bmptest::expectedImage(row.width, row.height, 1, row.colourOf);
        ASSERT_EQ(read.size(), want.size());
        int largest = 0;
        for (std::size_t i = 0; i < read.size(); ++i) largest = std::max(largest, std::abs(read[i] - want[i]));
        EXPECT_LE(largest, row.tolerance) << "bottom row first, red, green and blue in place";
    }
}

}  // namespace
