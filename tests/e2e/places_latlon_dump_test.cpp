// Place names over their countries, the lat/lon file handed out and taken back, and the five
// screen dumps.
#include <cmath>
#include <filesystem>

#include "harness.hpp"

namespace e2e {
namespace {

const char* const kEarthMap = "/usr/share/xplanet/images/earth.jpg";

bool framed() {
    auto window = waitForWindow(kViewerTitle);
    return window && waitUntil([&] { return geometryOf(*window) == kFramed; });
}

// Window pointer position that puts (latitude, longitude) at the view centre, north up.
void lookAt(double latitude, double longitude) {
    movePointer(kFramed.x + static_cast<int>(std::lround(2 * (255 + longitude))),
                kFramed.y + static_cast<int>(std::lround(2 * (191 - latitude))));
}

bool isOcean(Rgb c) { return c.b > 50 && c.b > c.r + 25 && c.b > c.g + 5; }

// With names on, each name starts at its region's centre and runs east: centred on that point,
// yellow letters show just right of the cross-hair, over land of the real map.
TEST(Places, NamesStartOverTheirCountries) {
    if (!std::filesystem::exists(kEarthMap)) GTEST_SKIP() << "no Earth map (Debian's xplanet-images)";
    Scratch s;
    const std::string bmp = (s.path() / "earth.bmp").string();
    runTool({"/usr/bin/convert", kEarthMap, "-resize", "2048x1024!", "-type", "TrueColor", "BMP3:" + bmp});
    ASSERT_TRUE(s.exists("earth.bmp"));
    s.writeConfig("1\nearth.bmp\n6371\n");
    Viewer v(s.path());
    ASSERT_TRUE(framed()) << v.out() << v.err();
    movePointer(kFramed.x + 510, kFramed.y + 382);
    ASSERT_TRUE(keyShown("g"));  // no grid numbers among the names
    for (int k = 0; k < 80; ++k) keyShown("Up");  // field of view 40.5: letters a few pixels high
    ASSERT_TRUE(keyShown("p"));
    struct Place {
        const char* name;
        double latitude, longitude;
    } places[] = {{"Australia", -25.0, 134.0}, {"Brazil", -10.0, -53.0}, {"Kazakhstan", 48.0, 67.0},
                  {"Chad", 15.0, 19.0},        {"Mongolia", 46.8, 103.0}};
    for (const Place& p : places) {
        // The table's own coordinates are not known to the test: look at the region's rough
        // middle and find the name's first yellow letters close to the centre.
        lookAt(p.latitude, p.longitude);
        ASSERT_TRUE(inputsDrawn(v)) << p.name;
        const Screenshot shot = grabScreen();
        int yellow = 0, ocean = 0, probed = 0;
        for (int y = kCentreY - 60; y < kCentreY + 60; ++y) {
            for (int x = kCentreX - 90; x < kCentreX + 90; ++x) {
                const Rgb c = shot.at(x, y);
                if (c == Rgb{255, 255, 85}) {
                    ++yellow;
                    // Under a letter's first stroke lies the region itself: look just beside it.
                    const Rgb under = shot.at(x - 3, y + 3);
                    if (!(under == Rgb{255, 255, 85})) ++probed, ocean += isOcean(under);
                }
            }
        }
        EXPECT_GT(yellow, 15) << p.name << ": no name near its centre";
        EXPECT_LT(ocean * 10, probed + 1) << p.name << ": the name lies over the sea";
    }
    EXPECT_EQ(v.err(), "");
}

// Cells at four diagonal probes around the view centre.
bool centreCells(Cell all) {
    return waitForScreen([&](const Screenshot& s) {
        for (int dx : {-10, 10})
            for (int dy : {-10, 10})
                if (!(cellAt(s.at(kCentreX + dx, kCentreY + dy)) == all)) return false;
        return true;
    });
}

TEST(LatLonFile, ExportEditImportCentresTheViewThere) {
    CellPlanet p(1, 6371);
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    Scratch& s = p.scratch;
    Viewer& v = *p.viewer;
    lookAt(20.0, 30.0);
    ASSERT_TRUE(inputsDrawn(v));  // the export takes the orientation of the frame before the key

    key("l");  // out: the small window, and the centre in Orvex.Out
    const WindowId window = *findWindow(kViewerTitle);
    EXPECT_TRUE(waitUntil([&] { return geometryOf(window).width == 320 && geometryOf(window).height == 240; }))
        << geometryOf(window);
    ASSERT_TRUE(waitUntil([&] { return s.exists("Orvex.Out"); }));
    auto text = [&] {
        const auto bytes = s.read("Orvex.Out");
        return std::string(bytes.begin(), bytes.end());
    };
    EXPECT_EQ(text(), "   20.0\n   30.0\n Above: latitude & longitude in degrees.\n");

    // Another program writes a place of its own; the way back centres the view on it, north up,
    // and the pointer mapping then settles it on the half-degree grid: 45.5 north, 93.5 west.
    s.write("Orvex.Out", std::string("  45.3\n -93.4\n"));
    movePointer(100, 120);  // inside the small window, where keys go
    key("l");
    EXPECT_TRUE(waitUntil([&] { return geometryOf(window) == kFramed; })) << geometryOf(window);
    EXPECT_TRUE(centreCells(Cell{40, -100}));
    ASSERT_TRUE(inputsDrawn(v));  // the pointer motion of the warp has settled the view

    key("l");  // the pointer was warped to the matching spot, inside the window
    ASSERT_TRUE(waitUntil([&] { return text().rfind("   45.5\n  -93.5\n", 0) == 0; })) << text();
    movePointer(100, 120);
    key("l");
    EXPECT_TRUE(waitUntil([&] { return geometryOf(window) == kFramed; }));
    EXPECT_EQ(v.err(), "");
}

TEST(LatLonFile, AMissingFileLeavesTheViewAsItWas) {
    CellPlanet p(1, 6371);
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    Scratch& s = p.scratch;
    Viewer& v = *p.viewer;
    lookAt(-25.0, -55.0);
    EXPECT_TRUE(centreCells(Cell{-30, -60}));
    ASSERT_TRUE(inputsDrawn(v));
    key("l");
    ASSERT_TRUE(waitUntil([&] { return s.exists("Orvex.Out"); }));
    std::filesystem::remove(s.path() / "Orvex.Out");
    movePointer(100, 120);
    key("l");
    EXPECT_TRUE(centreCells(Cell{-30, -60}));
    const std::string start = v.out();
    EXPECT_EQ(start.find("Orvex.Out"), std::string::npos);
    EXPECT_EQ(v.err(), "");
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Five "~": five files of the window, each announced with its size and a bell, the fifth
// ending the run; an independent reader takes them as 1024 x 768 BMPs of the frame.
TEST(ScreenDump, FiveDumpsThenTheRunEnds) {
    CellPlanet p(1, 6371);
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    Scratch& s = p.scratch;
    Viewer& v = *p.viewer;
    ASSERT_TRUE(inputsDrawn(v));
    const std::string start = v.out();
    std::string expected = start;
    for (int n = 1; n <= 5; ++n) {
        key("asciitilde");
        const std::string line = " Writing: ScrnDmp" + std::to_string(n) + ".Bmp  size:     1024 x       768\n\a\n";
        expected += line;
        ASSERT_TRUE(v.waitForOut(expected, kShortLimit)) << v.out();
        if (n < 5) {
            expected += "\a\n";  // "~" is no command key: the next frame rings once
            ASSERT_TRUE(v.waitForOut(expected, kShortLimit)) << v.out();
        }
    }
    ASSERT_TRUE(v.waitForExit());
    EXPECT_EQ(v.exitStatus(), 0);
    EXPECT_EQ(v.err(), "GLScrSup:ScrnDmp: ~: 5 screens dumped. Execution stopped.\n");
    EXPECT_FALSE(s.exists("ScrnDmp6.Bmp"));
    for (int n = 1; n <= 5; ++n) {
        const std::string name = "ScrnDmp" + std::to_string(n) + ".Bmp";
        const auto bytes = s.read(name);
        ASSERT_EQ(bytes.size(), 2359350u) << name;
        EXPECT_EQ(le32(bytes, 2), 2359350u);
        EXPECT_EQ(runTool({"/usr/bin/identify", "-format", "%w %h %[bit-depth]", (s.path() / name).string()}), "1024 768 8");
    }
    // The frame itself: rows run bottom up from the window's lower edge, blue-green-red. The
    // window is 748 rows high, so window row r (from the top) is file row 747 - r.
    const auto bytes = s.read("ScrnDmp1.Bmp");
    auto pixel = [&](int x, int rowFromTop) {
        const size_t at = 54 + 3 * (static_cast<size_t>(747 - rowFromTop) * 1024 + x);
        return Rgb{bytes[at + 2], bytes[at + 1], bytes[at]};
    };
    // Truncation of the read-back floats may take one off a channel: the cell tolerance covers it.
    EXPECT_EQ(cellAt(pixel(512 + 10, 374 - 10)), (Cell{0, 0}));
    EXPECT_EQ(cellAt(pixel(512 - 10, 374 + 10)), (Cell{-10, -10}));
}

}  // namespace
}  // namespace e2e
