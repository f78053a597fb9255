// A map written by ImageMagick's default BMP writer (a 124-byte info header) and the same map
// written with the 40-byte header show the same globe.
#include <utility>

#include "harness.hpp"

namespace e2e {
namespace {

TEST(BmpVariants, EightBitMapWithTheLongInfoHeaderShowsItsColours) {
    Scratch s;
    // Enough colours for an 8-bit palette; uncompressed, as the viewer reads it.
    const std::string source = "gradient:rgb(200,40,90)-rgb(30,160,220)";
    for (const auto& [format, name] : {std::pair{"BMP:", "v5.bmp"}, std::pair{"BMP3:", "v3.bmp"}}) {
        runTool({"/usr/bin/convert", "-size", "360x180", source, "-colors", "200", "-type", "Palette",
                 "-compress", "None", format + (s.path() / name).string()});
    }
    const std::vector<std::uint8_t> v5 = s.read("v5.bmp"), v3 = s.read("v3.bmp");
    ASSERT_GT(v5.size(), 54u);
    ASSERT_GT(v3.size(), 54u);
    ASSERT_EQ(v5[14], 124);  // the info header sizes and depths the scenario is about
    ASSERT_EQ(v3[14], 40);
    ASSERT_EQ(v5[28], 8);
    ASSERT_EQ(v3[28], 8);

    s.writeConfig("2\nv5.bmp\n6371\nv3.bmp\n6371\n");
    Viewer viewer(s.path());
    ASSERT_TRUE(waitForFrames()) << viewer.out() << viewer.err();
    ASSERT_TRUE(inputsDrawn(viewer));
    // A square of the disc around the centre, clear of the screen texts.
    const auto disc = [](const Screenshot& shot) {
        std::vector<Rgb> square;
        for (int y = kFramed.y + 274; y < kFramed.y + 474; ++y)
            for (int x = 412; x < 612; ++x) square.push_back(shot.at(x, y));
        return square;
    };
    const std::vector<Rgb> first = disc(grabScreen());
    int black = 0;
    for (const Rgb& p : first) black += p == Rgb{};
    EXPECT_LT(black, static_cast<int>(first.size()) / 10) << "the map drew black (grid lines and numbers aside)";
    ASSERT_TRUE(keyShown("2"));  // the image's name changes at the top
    ASSERT_TRUE(inputsDrawn(viewer));
    EXPECT_TRUE(disc(grabScreen()) == first) << "the two files show different globes";
    EXPECT_EQ(viewer.err(), "");
}

}  // namespace
}  // namespace e2e
