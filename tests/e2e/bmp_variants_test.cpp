// A map written by ImageMagick's BMP writer (a 124-byte info header), the same map with the
// 40-byte header, as ImageMagick's default run-length 8-bit file, and with a 40-byte header whose
// size field says 124: all show the same globe.
#include <utility>

#include "harness.hpp"

namespace e2e {
namespace {

TEST(BmpVariants, EightBitMapWithTheLongInfoHeaderShowsItsColours) {
    Scratch s;
    // Enough colours for an 8-bit palette.
    const std::string source = "gradient:rgb(200,40,90)-rgb(30,160,220)";
    for (const auto& [format, name] : {std::pair{"BMP:", "v5.bmp"}, std::pair{"BMP3:", "v3.bmp"}}) {
        runTool({"/usr/bin/convert", "-size", "360x180", source, "-colors", "200", "-type", "Palette",
                 "-compress", "None", format + (s.path() / name).string()});
    }
    runTool({"/usr/bin/convert", "-size", "360x180", source, "-colors", "200", "-type", "Palette",
             "BMP3:" + (s.path() / "rle.bmp").string()});
    const std::vector<std::uint8_t> v5 = s.read("v5.bmp"), v3 = s.read("v3.bmp"), rle = s.read("rle.bmp");
    std::vector<std::uint8_t> mislabelled = v3;
    mislabelled[14] = 124;
    s.write("label.bmp", mislabelled);
    ASSERT_GT(rle.size(), 54u);
    ASSERT_EQ(rle[30], 1);  // run-length data
    ASSERT_GT(v5.size(), 54u);
    ASSERT_GT(v3.size(), 54u);
    ASSERT_EQ(v5[14], 124);  // the info header sizes and depths the scenario is about
    ASSERT_EQ(v3[14], 40);
    ASSERT_EQ(v5[28], 8);
    ASSERT_EQ(v3[28], 8);

    s.writeConfig("4\nv5.bmp\n6371\nv3.bmp\n6371\nrle.bmp\n6371\nlabel.bmp\n6371\n");
    Viewer viewer(s.path());
    ASSERT_TRUE(waitForFrames()) << viewer.out() << viewer.err();
    ASSERT_TRUE(inputsDrawn(viewer));
    // A square of the disc around the centre, clear of the screen texts.
    const auto disc = [](const Screenshot& shot) {
        std::vector<Rgb> square;
        for (int y = kFramedGeometry.y + 274; y < kFramedGeometry.y + 474; ++y)
            for (int x = 412; x < 612; ++x) square.push_back(shot.at(x, y));
        return square;
    };
    const std::vector<Rgb> first = disc(grabScreen());
    int black = 0;
    for (const Rgb& p : first) black += p == Rgb{};
    EXPECT_LT(black, static_cast<int>(first.size()) / 10) << "the map drew black (grid lines and numbers aside)";
    for (const char* key : {"2", "3", "4"}) {
        ASSERT_TRUE(keyShown(key));  // the image's name changes at the top
        ASSERT_TRUE(inputsDrawn(viewer));
        EXPECT_TRUE(disc(grabScreen()) == first) << "image " << key << " shows a different globe";
    }
    EXPECT_EQ(viewer.err(), "");
}

}  // namespace
}  // namespace e2e
