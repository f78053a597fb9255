// What the frames show: the orientation following the pointer, the zoom keeping the whole disc
// in view, the grid vanishing when zoomed far in, the stereo pairs, and a window without images.
#include <cmath>

#include "harness.hpp"

namespace e2e {
namespace {


// Each key of a run is given the frame that applies it.
void keys(const std::string& name, int count) {
    for (int k = 0; k < count; ++k) keyShown(name);
}

std::optional<Cell> cellNear(const Screenshot& s, int x, int y) { return cellAt(s.at(x, y)); }

// Cells at the four diagonal probes around (x, y): north-east, north-west, south-east, south-west.
bool cellsAround(int x, int y, int d, Cell ne, Cell nw, Cell se, Cell sw) {
    return waitForScreen([&](const Screenshot& s) {
        return cellNear(s, x + d, y - d) == ne && cellNear(s, x - d, y - d) == nw &&
               cellNear(s, x + d, y + d) == se && cellNear(s, x - d, y + d) == sw;
    });
}

TEST(Frames, PointerTurnsTheGlobeHalfADegreePerPixel) {
    CellPlanet p(1, 6371);
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    // 40 pixels right: longitude -380, the centre at 20 east.
    movePointer(kFramed.x + 550, kFramed.y + 382);
    EXPECT_TRUE(cellsAround(kCentreX, kCentreY, 40, {0, 20}, {0, 10}, {-10, 20}, {-10, 10}));
    // 40 pixels up as well: latitude -70, the centre at 20 north.
    movePointer(kFramed.x + 550, kFramed.y + 342);
    EXPECT_TRUE(cellsAround(kCentreX, kCentreY, 40, {20, 20}, {20, 10}, {10, 20}, {10, 10}));
    EXPECT_EQ(p.viewer->err(), "");
}

// Radius of the disc along the centre row, scanning right from inside it to the black beyond.
int discRadius(const Screenshot& s, int centreX, int y) {
    int x = centreX + 40;
    while (x < s.width - 3 && !(s.at(x, y) == Rgb{} && s.at(x + 1, y) == Rgb{} && s.at(x + 2, y) == Rgb{})) ++x;
    return x - centreX;
}

// Horizontal disc radius for a field of view: the sphere fills the view, the projection adds a
// margin of 0.11 degree, and the layout's 4:3 aspect spreads 1024 pixels over it.
double expectedRadius(double fieldOfView) {
    const double d2r = std::atan(1.0) / 45.0;
    return 384.0 * std::tan(fieldOfView * d2r / 2) / std::tan((fieldOfView + 0.11) * d2r / 2);
}

TEST(Frames, ZoomKeepsTheWholeDiscInView) {
    CellPlanet p(1, 6371);
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    movePointer(kFramed.x + 510, kFramed.y + 382);
    keys("g", 1);  // no grid numbers in the way of the scan
    int radius = 0;
    const double start = static_cast<double>(0.5241f);
    EXPECT_TRUE(waitForScreen([&](const Screenshot& s) {
        radius = discRadius(s, kCentreX, kCentreY);
        return std::fabs(radius - expectedRadius(start)) <= 3;
    })) << radius << " against " << expectedRadius(start);
    keys("Up", 20);
    EXPECT_TRUE(waitForScreen([&](const Screenshot& s) {
        radius = discRadius(s, kCentreX, kCentreY);
        return std::fabs(radius - expectedRadius(start + 10.0)) <= 3;
    })) << radius << " against " << expectedRadius(start + 10.0);
}

int bluePixels(const Screenshot& s) {
    int n = 0;
    for (int y = kFramed.y; y < kFramed.y + kFramed.height; y += 2) {
        for (int x = 200; x < 824; x += 2) n += s.at(x, y) == Rgb{0, 0, 255};
    }
    return n;
}

TEST(Frames, GridVanishesWhenZoomedPast120Degrees) {
    CellPlanet p(1, 6371);
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    movePointer(kFramed.x + 510, kFramed.y + 382);
    EXPECT_TRUE(waitForScreen([](const Screenshot& s) { return bluePixels(s) > 200; }));
    keys("Up", 260);  // 0.5241 + 130 would pass 140: held there
    EXPECT_TRUE(waitForScreen([](const Screenshot& s) { return bluePixels(s) == 0; }));
    keys("Down", 30);  // back to about 110
    EXPECT_TRUE(waitForScreen([](const Screenshot& s) { return bluePixels(s) > 200; }));
    EXPECT_EQ(p.viewer->err(), "");
}

// In a pair each eye sees the globe from about 5.7 degrees to its side, so the middle of the
// left eye's picture shows the cell west of longitude 0 and the right eye's the cell east of it.
TEST(Frames, StereoPairsShowTwoHalfSizeDiscsInTheirOrder) {
    CellPlanet p(1, 6371);
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    movePointer(kFramed.x + 510, kFramed.y + 382);
    keys("g", 1);
    const int leftX = static_cast<int>(std::lround(512 * (1 - 0.4117)));
    const int rightX = static_cast<int>(std::lround(512 * (1 + 0.4117)));
    const int probeY = kCentreY - 15;
    const Cell west{0, -10}, east{0, 0};
    keys("e", 1);  // L:R, parallel viewing: the left eye's picture on the left
    EXPECT_TRUE(waitForScreen([&](const Screenshot& s) {
        return cellNear(s, leftX, probeY) == west && cellNear(s, rightX, probeY) == east &&
               s.at(kCentreX, kCentreY) == Rgb{} && std::abs(discRadius(s, rightX, kCentreY) - 192) <= 4;
    }));
    keys("e", 1);  // R:L, crossed viewing: the pictures change places
    EXPECT_TRUE(waitForScreen([&](const Screenshot& s) {
        return cellNear(s, leftX, probeY) == east && cellNear(s, rightX, probeY) == west;
    }));
    keys("e", 1);  // and back to the single view
    EXPECT_TRUE(cellsAround(kCentreX, kCentreY, 40, {0, 0}, {0, -10}, {-10, 0}, {-10, -10}));
}

// A 1000-pixel-wide map fills only part of its 1024-texel texture, yet the date line shows no
// seam: centred on longitude 180 and zoomed in, the texels the filter blends in from across the
// picture's edges hold the map's own colour, so a one-colour map stays one colour there.
TEST(Frames, NoSeamAtTheDateLineOfANonPowerOfTwoMap) {
    const Rgb sea{0, 126, 128};
    Scratch scratch;
    scratch.writeConfig("1\nsea.bmp\n6371\n");
    scratch.write("sea.bmp", encodeBmp24(Picture(1000, 500, sea)));
    Viewer viewer(scratch.path());
    ASSERT_TRUE(waitForFrames().has_value()) << viewer.out() << viewer.err();
    movePointer(kFramed.x + 870, kFramed.y + 382);  // 360 pixels right of the start: longitude 180
    keys("g", 1);                                     // no grid line over the date line
    keys("Up", 40);                                   // field of view 20.5: the seam is a pixel wide
    std::string stray;
    EXPECT_TRUE(waitForScreen([&](const Screenshot& s) {
        stray.clear();
        for (int y = kCentreY - 60; y <= kCentreY - 30; y += 3) {
            for (int x = kCentreX - 20; x <= kCentreX + 20; ++x) {
                const Rgb c = s.at(x, y);
                if (!(c == sea) && stray.empty()) {
                    stray = std::to_string(x) + "," + std::to_string(y) + ": " + std::to_string(c.r) + " " +
                            std::to_string(c.g) + " " + std::to_string(c.b);
                }
            }
        }
        return stray.empty();
    }, kShortLimit)) << stray;
    EXPECT_EQ(viewer.err(), "");
}

// The full view puts the window back where it belongs after the user moves or resizes it.
TEST(Frames, FullViewUndoesAMoveAndAResize) {
    CellPlanet p(1, 6371);
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    const WindowId window = *findWindow(kViewerTitle);
    const std::string id = std::to_string(window);
    runTool({"xdotool", "windowmove", id, "200", "150"});
    EXPECT_TRUE(waitUntil([&] { return geometryOf(window) == kFramed; })) << geometryOf(window);
    runTool({"xdotool", "windowsize", id, "600", "400"});
    EXPECT_TRUE(waitUntil([&] { return geometryOf(window) == kFramed; })) << geometryOf(window);
    runTool({"xdotool", "windowmove", id, "0", "0"});
    runTool({"xdotool", "windowsize", id, "1024", "768"});
    EXPECT_TRUE(waitUntil([&] { return geometryOf(window) == kFramed; })) << geometryOf(window);
}

// Without a readable image count there is no picture: the window shows the grid on black, and
// the image keys ring the bell instead of reaching for a texture that was never made.
TEST(Frames, WithoutImagesTheGridStillTurnsAndImageKeysRing) {
    Scratch s;
    s.writeConfig("several\n");
    Viewer v(s.path());
    auto window = waitForWindow(kViewerTitle);
    ASSERT_TRUE(window.has_value()) << v.out() << v.err();
    movePointer(kFramed.x + 510, kFramed.y + 382);
    EXPECT_TRUE(waitForScreen([](const Screenshot& sh) { return bluePixels(sh) > 200; }));
    // None but "p" changes the picture. A key typed before the frame has taken the one before it
    // would replace it, so each bell is awaited before the next key.
    key("1");
    EXPECT_TRUE(v.waitForOut("\a\n", kShortLimit));
    key("5");
    EXPECT_TRUE(v.waitForOut("\a\n\a\n", kShortLimit));
    for (const char* k : {"i", "i", "p"}) key(k);
    EXPECT_TRUE(v.running());
    EXPECT_TRUE(waitForScreen([](const Screenshot& sh) { return bluePixels(sh) > 200; }));
    EXPECT_EQ(v.err(), "");
}

}  // namespace
}  // namespace e2e
