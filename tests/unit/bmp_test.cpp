#include "image/bmp.hpp"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(BmpHeader, EncodesLittleEndianFieldByFieldAndDecodesBack) {
    image::BH h;
    h.bfSize = 0x01020304u;
    h.bfReserved1 = 0x0506;
    h.bfOffBits = 54;
    h.biSize = 40;
    h.biWidth = -2;
    h.biHeight = 0x7FFFFFFF;
    h.biPlanes = 1;
    h.nBitsPP = 24;
    h.nSizeC = 0xA0B0C0D0u;
    h.biXPelsPerMeter = 2835;
    h.biClrImportant = 0xDEADBEEFu;
    std::uint8_t b[image::kBmpHeaderBytes];
    std::memset(b, 0xEE, sizeof b);
    image::encodeHeader(h, b);
    const std::uint8_t expectStart[] = {'B', 'M', 4, 3, 2, 1, 6, 5, 0, 0, 54, 0, 0, 0,
                                        40, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F,
                                        1, 0, 24, 0, 0, 0, 0, 0, 0xD0, 0xC0, 0xB0, 0xA0,
                                        0x13, 0x0B, 0, 0};
    EXPECT_EQ(std::memcmp(b, expectStart, sizeof expectStart), 0);
    EXPECT_EQ(b[50], 0xEF);
    EXPECT_EQ(b[53], 0xDE);

    const image::BH back = image::decodeHeader(b);
    EXPECT_EQ(back.bfSize, h.bfSize);
    EXPECT_EQ(back.bfReserved1, h.bfReserved1);
    EXPECT_EQ(back.biWidth, -2);
    EXPECT_EQ(back.biHeight, 0x7FFFFFFF);
    EXPECT_EQ(back.nBitsPP, 24);
    EXPECT_EQ(back.nSizeC, h.nSizeC);
    EXPECT_EQ(back.biXPelsPerMeter, 2835);
    EXPECT_EQ(back.biClrImportant, h.biClrImportant);
}

}  // namespace
