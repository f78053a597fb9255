#include "image/bmp.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <cstring>

#include "bmp_testfiles.hpp"
#include "image/bmpdecode.hpp"

namespace {

TEST(BmpHeader, EncodesLittleEndianFieldByFieldAndDecodesBack) {
    image::BmpHeaderFields h;
    h.fileSize = 0x01020304u;
    h.reserved1 = 0x0506;
    h.pixelOffset = 54;
    h.infoHeaderSize = 40;
    h.width = -2;
    h.height = 0x7FFFFFFF;
    h.planes = 1;
    h.bitsPerPixel = 24;
    h.pixelDataSize = 0xA0B0C0D0u;
    h.xPixelsPerMetre = 2835;
    h.importantColours = 0xDEADBEEFu;
    std::uint8_t b[image::kBmpHeaderBytes];
    std::memset(b, 0xEE, sizeof b);
    image::encodeHeader(h, b);
    const std::uint8_t expectStart[] = {'B', 'M', 4, 3, 2,    1,    6,    5,    0,    0,    54,   0,    0, 0,
                                        40,  0,   0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 1, 0,
                                        24,  0,   0, 0, 0,    0,    0xD0, 0xC0, 0xB0, 0xA0, 0x13, 0x0B, 0, 0};
    EXPECT_EQ(std::memcmp(b, expectStart, sizeof expectStart), 0);
    EXPECT_EQ(b[50], 0xEF);
    EXPECT_EQ(b[53], 0xDE);

    const image::BmpHeaderFields back = image::decodeHeader(b);
    EXPECT_EQ(back.fileSize, h.fileSize);
    EXPECT_EQ(back.reserved1, h.reserved1);
    EXPECT_EQ(back.width, -2);
    EXPECT_EQ(back.height, 0x7FFFFFFF);
    EXPECT_EQ(back.bitsPerPixel, 24);
    EXPECT_EQ(back.pixelDataSize, h.pixelDataSize);
    EXPECT_EQ(back.xPixelsPerMetre, 2835);
    EXPECT_EQ(back.importantColours, h.importantColours);
}

}  // namespace

namespace {

using bmptest::Bytes;
using bmptest::Rgb;

// The reader on a file written to the scratch folder, into a buffer of exactly the picture.
Bytes importFile(const std::string& name, const Bytes& file, int width, int height, int swap) {
    bmptest::writeFile(name.c_str(), file);
    return bmptest::importFile(name, swap, width, height, 3LL * width * height);
}

// The pure layer on the same bytes.
Bytes decodeBytes(const Bytes& file, int width, int height, int swap) {
    image::MemorySource source(file.data(), static_cast<long long>(file.size()));
    image::BmpLayout layout;
    const image::BmpStatus s = image::bmpInspect(source, width, height, layout);
    EXPECT_EQ(s.fault, image::BmpFault::none) << s.reason;
    Bytes image(static_cast<std::size_t>(3 * width * height), 0xEE);
    if (s.fault == image::BmpFault::none) {
        EXPECT_EQ(image::bmpDecode(source, layout, image.data(), static_cast<long long>(image.size()), swap).fault,
                  image::BmpFault::none);
    }
    return image;
}

class BmpRead : public bmptest::ScratchFolder {
protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        image::bmpState = image::BmpState{};
    }
};

TEST(BmpLayout, PaletteEntriesAndRowStartFollowThePixelOffset) {
    struct Case {
        std::uint32_t offBits;
        int entries;
    };
    const Case cases[] = {{0, 0},
                          {20, 0},
                          {54, 0},
                          {57, 0},
                          {58, 1},
                          {61, 1},
                          {62, 2},
                          {97, 10},
                          {1078, 256},
                          {1081, 256},
                          {1082, 256},
                          {5000, 256},
                          {0x7FFFFFFFu, 256},
                          {0xFFFFFFFFu, 256}};
    for (const Case& c : cases) {
        image::BmpHeaderFields h = bmptest::header(5, 3, 8);
        h.pixelOffset = c.offBits;
        image::BmpLayout layout;
        ASSERT_EQ(image::bmpLayout(image::BmpHeader{h}, 5, 3, layout).fault, image::BmpFault::none);
        EXPECT_EQ(layout.paletteEntries, c.entries) << c.offBits;
        EXPECT_EQ(layout.rowStart, 54 + 4 * c.entries) << c.offBits;
    }
}

TEST_F(BmpRead, TrueColourAtOddWidthsKeepsRowOrderAndDropsPadding) {
    const int sizes[][2] = {{5, 3}, {7, 2}, {1, 1}, {4, 2}, {6, 5}};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        const Bytes file = bmptest::file24(w, h);
        for (int swap : {0, 1}) {
            const Bytes want = bmptest::expectedImage(w, h, swap, bmptest::sample);
            EXPECT_EQ(importFile("p.bmp", file, w, h, swap), want) << w << "x" << h << " swap " << swap;
            EXPECT_EQ(decodeBytes(file, w, h, swap), want) << w << "x" << h << " swap " << swap;
        }
    }
}

// Uncompressed, and as run-length data: runs of one and stored runs of odd and even length
// (sampleIndex), long runs (x / 4), a file read through a staging buffer of 7 bytes.
int quarters(int x, int y) { return x / 4 + y; }

TEST_F(BmpRead, PaletteColourAtOddWidthsLooksUpEveryPixel) {
    const int sizes[][2] = {{5, 3}, {7, 2}, {8, 1}, {600, 3}};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        for (int (*index)(int, int) : {bmptest::sampleIndex, quarters}) {
            const auto colourOf = [index](int x, int y) { return bmptest::paletteColour(index(x, y)); };
            const Bytes file = bmptest::file8(w, h, 256, index), rle = bmptest::fileRle8(w, h, bmptest::encodeRle8(w, h, index));
            for (int swap : {0, 1}) {
                const Bytes want = bmptest::expectedImage(w, h, swap, colourOf);
                EXPECT_EQ(importFile("p8.bmp", file, w, h, swap), want) << w << "x" << h << " swap " << swap;
                EXPECT_EQ(decodeBytes(file, w, h, swap), want) << w << "x" << h << " swap " << swap;
                EXPECT_EQ(importFile("rle.bmp", rle, w, h, swap), want) << w << "x" << h << " swap " << swap;
            }
            EXPECT_EQ(bmptest::decodeBothWays(rle, 7).picture, bmptest::expectedImage(w, h, 1, colourOf));
        }
    }
}

// Indices 0..9 on every row; a file holding fewer entries leaves the rest to earlier imports.
int firstTen(int x, int) { return x % 10; }

TEST_F(BmpRead, PaletteEntriesBeyondTheFileKeepWhatAnEarlierImportLeft) {
    // Alone: entries 4..9 were never read and are black.
    const Bytes small = bmptest::file8(10, 2, 4, firstTen);
    const Bytes alone = importFile("small.bmp", small, 10, 2, 1);
    for (int x = 0; x < 10; ++x) {
        const Rgb c = x < 4 ? bmptest::paletteColour(x) : Rgb{0, 0, 0};
        EXPECT_EQ(alone[3 * x], c.r) << x;
        EXPECT_EQ(alone[3 * x + 1], c.g) << x;
        EXPECT_EQ(alone[3 * x + 2], c.b) << x;
    }

    // After a full palette of other colours, the small file overwrites only its own 4 entries.
    Bytes full = bmptest::file8(10, 2, 256, firstTen);
    for (int k = 0; k < 256; ++k) full[54 + 4 * k + 1] = 0x11;  // green 0x11 marks the first file
    importFile("full.bmp", full, 10, 2, 1);
    const Bytes after = importFile("small.bmp", small, 10, 2, 1);
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(after[3 * x + 1], x < 4 ? bmptest::paletteColour(x).g : 0x11) << x;
        EXPECT_EQ(after[3 * x], bmptest::paletteColour(x).r) << x;
    }

    // With no palette at all (pixel offset 54) every pixel takes the stored colours.
    const Bytes none = importFile("none.bmp", bmptest::file8(10, 2, 0, firstTen), 10, 2, 1);
    EXPECT_EQ(none, after);
}

TEST_F(BmpRead, RowsStartAtThePixelOffsetWhereTheFileHoldsThem) {
    const auto colourOf = [](int x, int y) { return bmptest::paletteColour(bmptest::sampleIndex(x, y)); };
    // A gap between the palette and the rows, after 10 entries and after 256.
    const auto tenColours = [](int x, int y) { return bmptest::paletteColour(firstTen(x, y)); };
    for (int entries : {10, 256}) {
        Bytes gap = bmptest::file8(5, 3, entries, firstTen);
        gap.insert(gap.begin() + 54 + 4 * entries, 300, 0xC3);
        bmptest::patch32(gap, 10, 54 + 4 * entries + 300);
        EXPECT_EQ(importFile("gap.bmp", gap, 5, 3, 1), bmptest::expectedImage(5, 3, 1, tenColours)) << entries;
    }
    // A pixel offset beyond the file reads the rows right after the palette, at byte 1078.
    Bytes far = bmptest::file8(5, 3, 256);
    bmptest::patch32(far, 10, 5000);
    EXPECT_EQ(importFile("far.bmp", far, 5, 3, 1), bmptest::expectedImage(5, 3, 1, colourOf));

    // An offset that is not a multiple of 4 past the header drops the remainder: 97 gives 10
    // entries and rows at byte 94.
    Bytes odd = bmptest::file8(5, 3, 10, [](int x, int y) { return (x + y) % 10; });
    bmptest::patch32(odd, 10, 97);
    const auto oddColour = [](int x, int y) { return bmptest::paletteColour((x + y) % 10); };
    EXPECT_EQ(importFile("odd.bmp", odd, 5, 3, 0), bmptest::expectedImage(5, 3, 0, oddColour));

    // Offsets below the header's end give no palette; the rows start right after the header.
    for (std::uint32_t offset : {0u, 20u, 57u}) {
        image::BmpHeaderFields h = bmptest::header(7, 2, 24);
        h.pixelOffset = offset;
        EXPECT_EQ(importFile("low.bmp", bmptest::file24(7, 2, h), 7, 2, 1),
                  bmptest::expectedImage(7, 2, 1, bmptest::sample))
            << offset;
    }
}

Bytes withField(Bytes b, int offset, std::uint32_t value) {
    bmptest::patch32(b, offset, value);
    return b;
}

TEST_F(BmpRead, EveryInfoHeaderSizeFindsItsPaletteAndRows) {
    const auto paletteOf = [](int x, int y) { return bmptest::paletteColour(bmptest::sampleIndex(x, y)); };
    const Bytes pal8 = bmptest::file8(5, 3, 256), rgb24 = bmptest::file24(5, 3);
    for (int infoSize : {12, 16, 40, 52, 56, 64, 108, 124}) {
        SCOPED_TRACE(std::to_string(infoSize) + "-byte info header");
        // Laid out for that size, and laid out for 40 bytes with only the size field saying it.
        for (bool mislabelled : {false, true}) {
            const bmptest::Decoded d8 = bmptest::decodeBothWays(
                mislabelled ? withField(pal8, 14, infoSize) : bmptest::withInfoHeader(pal8, infoSize), 6);
            EXPECT_EQ(d8.fault, image::BmpFault::none) << mislabelled;
            EXPECT_EQ(d8.picture, bmptest::expectedImage(5, 3, 1, paletteOf)) << mislabelled;
            const bmptest::Decoded d24 = bmptest::decodeBothWays(
                mislabelled ? withField(rgb24, 14, infoSize) : bmptest::withInfoHeader(rgb24, infoSize), 6);
            EXPECT_EQ(d24.fault, image::BmpFault::none) << mislabelled;
            EXPECT_EQ(d24.picture, bmptest::expectedImage(5, 3, 1, bmptest::sample)) << mislabelled;
        }
    }
}

TEST_F(BmpRead, ClearsOnlyTheTargetBytesPastThePicture) {
    bmptest::writeFile("t.bmp", bmptest::file24(5, 3));
    const Bytes image = bmptest::importFile("t.bmp", 1, 5, 3, 45 + 20, 8);
    const Bytes want = bmptest::expectedImage(5, 3, 1, bmptest::sample);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), image.begin()));
    for (int k = 45; k < 65; ++k) EXPECT_EQ(image[k], 0) << k;
    for (int k = 65; k < 73; ++k) EXPECT_EQ(image[k], 0xEE) << k;  // beyond the byte count
}

TEST_F(BmpRead, RowsLongerThanTheStagingMemoryAreReadInPieces) {
    // 24-bit rows of 1.2 MB and 8-bit rows of 1.1 MB, plus a picture of many chunks.
    const auto colourOf = [](int x, int y) {
        return Rgb{static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(x >> 8),
                   static_cast<std::uint8_t>(x * 13 - y)};
    };
    struct Case {
        int w, h;
    };
    for (const Case c : {Case{400001, 2}, Case{1001, 700}}) {
        const Bytes file = bmptest::encodeBmp(bmptest::Shape{c.w, c.h}, colourOf);
        EXPECT_TRUE(importFile("wide.bmp", file, c.w, c.h, 1) ==
                    bmptest::expectedImage(c.w, c.h, 1, colourOf))
            << c.w << "x" << c.h;
    }
    const int w8 = 1100003;
    const Bytes file8 = bmptest::file8(w8, 2, 256);
    const auto paletteOf = [](int x, int y) { return bmptest::paletteColour(bmptest::sampleIndex(x, y)); };
    EXPECT_TRUE(importFile("wide8.bmp", file8, w8, 2, 0) == bmptest::expectedImage(w8, 2, 0, paletteOf));
}

TEST_F(BmpRead, OpenBmpReportsTheHeaderAsStored) {
    struct Case {
        int w, h, bits, bytesPerPixel;
    };
    for (const Case c : {Case{5, 3, 24, 3}, Case{7, -2, 8, 1}, Case{1000, 500, 24, 3}}) {
        Bytes file = bmptest::headerBytes(bmptest::header(c.w, c.h, c.bits));  // rows need not exist
        bmptest::writeFile("r.bmp", file);
        int w = 0, h = 0, bpp = 0;
        image::BmpPicture picture;
        image::openBmp(bmptest::field("r.bmp").c_str(), 14, picture, w, h, bpp);
        EXPECT_EQ(w, c.w);
        EXPECT_EQ(h, c.h);
        EXPECT_EQ(bpp, c.bytesPerPixel);
    }
}

TEST_F(BmpRead, TypeColourCountAndNamesDoNotMatter) {
    // Not "BM", a colour count: read, not checked.
    Bytes file = bmptest::file24(5, 3);
    file[0] = 'X';
    file[1] = 'Y';
    bmptest::patch32(file, 46, 3);
    const Bytes want = bmptest::expectedImage(5, 3, 1, bmptest::sample);
    EXPECT_EQ(importFile("xy.bmp", file, 5, 3, 1), want);

    // A name with a folder, handed as a blank-padded field or as a bare 20-character field.
    ASSERT_EQ(mkdir("sub", 0700), 0);
    EXPECT_EQ(importFile("sub/twenty-chars.bmp", file, 5, 3, 1), want);
    int w = 0, h = 0, bpp = 0;
    image::BmpPicture picture;
    image::openBmp("sub/twenty-chars.bmpXYZ", 14, picture, w, h, bpp);   // only the 20-character field counts
    EXPECT_EQ(w, 5);
}

}  // namespace
