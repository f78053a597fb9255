#include "startup/textures.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(PowerOfTwo, FittedSizes) {
    const long long cases[][2] = {{1, 2},     {2, 2},       {3, 4},       {4, 4},
                                  {5, 8},     {8, 8},       {1000, 1024}, {1024, 1024},
                                  {1025, 2048}, {0, 0},     {-5, 0},      {134217728, 134217728},
                                  {134217727, 134217728}, {0x55555556LL, 2147483648LL}};
    for (const auto& c : cases) EXPECT_EQ(startup::fitPowerOfTwo(c[0]), c[1]) << c[0];
    for (long long n = 2; n <= 4096; ++n) {
        long long p = startup::fitPowerOfTwo(n);
        ASSERT_TRUE(p >= n && p / 2 < n && (p & (p - 1)) == 0) << n;
    }
    // The texture's 3-byte texels stay within 2^31 - 1 bytes up to 2^29 of them.
    EXPECT_TRUE(image::textureFits(32768, 16384) && image::textureFits(16384, 32768) && image::textureFits(1, 1));
    EXPECT_FALSE(image::textureFits(32769, 16384) || image::textureFits(16385, 16385) || image::textureFits(0, 1));
}

TEST(TextureMatrix, MapsTheSphereOntoExactlyThePicture) {
    Table<double, 4> whole = {{-180.0, 180.0, -90.0, 90.0}};
    double m[16];
    startup::textureMatrix(1000, 500, 1024, 512, whole, m);
    EXPECT_DOUBLE_EQ(m[0], 0.9765625);
    EXPECT_DOUBLE_EQ(m[5], 0.9765625);
    EXPECT_DOUBLE_EQ(m[10], 1.0);
    EXPECT_DOUBLE_EQ(m[15], 1.0);
    EXPECT_DOUBLE_EQ(m[12], 0.0);
    EXPECT_DOUBLE_EQ(m[13], 0.0);
    for (int k : {1, 2, 3, 4, 6, 7, 8, 9, 11, 14}) EXPECT_EQ(m[k], 0.0) << k;

    startup::textureMatrix(1, 1, 2, 2, whole, m);
    EXPECT_DOUBLE_EQ(m[0], 0.5);
    EXPECT_DOUBLE_EQ(m[5], 0.5);

    // A map of one hemisphere: the offsets move the picture onto its longitudes.
    Table<double, 4> east = {{0.0, 180.0, 0.0, 90.0}};
    startup::textureMatrix(512, 512, 512, 512, east, m);
    EXPECT_DOUBLE_EQ(m[0], 2.0);
    EXPECT_DOUBLE_EQ(m[12], -0.5);
    EXPECT_DOUBLE_EQ(m[5], 2.0);
    EXPECT_DOUBLE_EQ(m[13], -0.5);
}

TEST(SizeLine, LayoutOfTheImportReport) {
    model::NameField name;
    std::memcpy(name.text, "earth.bmp", 9);
    char line[128];
    startup::formatSizeLine(line, sizeof line, name, 1000, 500, 1024, 512);
    EXPECT_EQ(std::string(line),
              " earth.bmp           :      1000 by    500 OpenGL::      1024 by    512");
    startup::formatSizeLine(line, sizeof line, name, 5, -3, 8, 0);
    EXPECT_EQ(std::string(line),
              " earth.bmp           :         5 by     -3 OpenGL::         8 by      0");
    startup::formatSizeLine(line, sizeof line, name, 12345678, 1, 99999999999LL, 2);
    EXPECT_EQ(std::string(line).substr(51, 10), "**********");
}

}  // namespace
