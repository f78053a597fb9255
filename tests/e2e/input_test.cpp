// Commands from the keyboard, the arrow keys, the pop-up menu and the pointer, seen on the screen
// and on the console.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "harness.hpp"

namespace e2e {
namespace {


// Pixels of one colour inside a rectangle of the window.
int countColour(const Screenshot& s, int x0, int y0, int x1, int y1, Rgb colour) {
    int n = 0;
    for (int y = kFramed.y + y0; y < kFramed.y + y1; ++y)
        for (int x = kFramed.x + x0; x < kFramed.x + x1; ++x) n += s.at(x, y) == colour;
    return n;
}

const Rgb kWhite{255, 255, 255}, kBlue{0, 0, 255}, kMagenta{255, 85, 255};

int gridPixels(const Screenshot& s) { return countColour(s, 200, 60, 824, 690, kBlue); }
int helpPixels(const Screenshot& s) { return countColour(s, 8, 60, 150, 220, kWhite); }
int eyeLabelPixels(const Screenshot& s) { return countColour(s, 280, 615, 340, 640, kMagenta); }
int cellPixels(const Screenshot& s) {
    int n = 0;
    for (int y = kCentreY - 100; y < kCentreY + 100; y += 4)
        for (int x = kCentreX - 100; x < kCentreX + 100; x += 4) n += cellAt(s.at(x, y)).has_value();
    return n;
}

TEST(Keys, EachCommandKeyShowsItsEffect) {
    CellPlanet p;
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    Screenshot s = grabScreen();
    EXPECT_GT(gridPixels(s), 200);
    EXPECT_EQ(helpPixels(s), 0);
    EXPECT_EQ(eyeLabelPixels(s), 0);

    ASSERT_TRUE(keyShown("g"));  // grid off
    EXPECT_TRUE(waitForScreen([](const Screenshot& sh) { return gridPixels(sh) == 0; }));
    ASSERT_TRUE(keyShown("G"));  // and on again, in either case
    EXPECT_TRUE(waitForScreen([](const Screenshot& sh) { return gridPixels(sh) > 200; }));

    ASSERT_TRUE(keyShown("h"));
    EXPECT_TRUE(waitForScreen([](const Screenshot& sh) { return helpPixels(sh) > 300; }));
    ASSERT_TRUE(keyShown("H"));
    EXPECT_TRUE(waitForScreen([](const Screenshot& sh) { return helpPixels(sh) == 0; }));

    ASSERT_TRUE(keyShown("i"));  // the picture goes, the grid stays
    EXPECT_TRUE(waitForScreen([](const Screenshot& sh) { return cellPixels(sh) == 0 && gridPixels(sh) > 200; }));
    ASSERT_TRUE(keyShown("I"));
    EXPECT_TRUE(waitForScreen([](const Screenshot& sh) { return cellPixels(sh) > 1000; }));

    ASSERT_TRUE(keyShown("e"));  // "Left " and "Right" under the pair
    EXPECT_TRUE(waitForScreen([](const Screenshot& sh) { return eyeLabelPixels(sh) > 20; }));
    ASSERT_TRUE(keyShown("e"));
    ASSERT_TRUE(keyShown("E"));  // back to the single view
    EXPECT_TRUE(waitForScreen([](const Screenshot& sh) { return eyeLabelPixels(sh) == 0 && cellPixels(sh) > 1000; }));
    EXPECT_EQ(p.viewer->err(), "");
    EXPECT_EQ(p.viewer->out().find('\a'), std::string::npos) << "no command rings the bell";
}

TEST(Keys, KeysWithoutACommandRingTheBellOnce) {
    CellPlanet p(2);
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    const std::string start = p.viewer->out();
    // x, 6, 0, the left arrow, F1 and "3" (clamped to image 2) ring; F10 and Shift do not. A key
    // typed before the frame has taken the one before it would replace it, so each ringing key
    // waits for its bell; F10 and "3" go to different request slots.
    const std::pair<const char*, bool> keys[] = {{"x", true},   {"6", true},   {"0", true},        {"Left", true},
                                                 {"F1", true},  {"F10", false}, {"Shift_L", false}, {"3", true}};
    std::string expected = start;
    for (const auto& [name, rings] : keys) {
        key(name);
        if (!rings) continue;
        expected += "\a\n";
        EXPECT_TRUE(p.viewer->waitForOut(expected, kShortLimit)) << name << ": " << p.viewer->out();
    }
    // Two more ringing keys, taken in later frames than every key above, end the list.
    ASSERT_TRUE(inputsDrawn(*p.viewer));
    EXPECT_EQ(p.viewer->out(), start + "\a\n\a\n\a\n\a\n\a\n\a\n" + "\a\n\a\n");
    EXPECT_EQ(p.viewer->err(), "");
}

// The right-hand status lines at rows 4 and 5 ("Elev=", "FOV=") change with each arrow key.
TEST(Keys, ArrowKeysChangeFieldOfViewAndElevation) {
    CellPlanet p;
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    auto statusLines = [](const Screenshot& s) {
        std::vector<Rgb> band;
        for (int y = kFramed.y + 40; y < kFramed.y + 66; ++y)
            for (int x = kFramed.x + 780; x < kFramed.x + 1024; ++x) band.push_back(s.at(x, y));
        return band;
    };
    const auto start = statusLines(grabScreen());
    ASSERT_TRUE(keyShown("Up"));
    const auto wider = statusLines(grabScreen());
    EXPECT_NE(wider, start);
    ASSERT_TRUE(keyShown("Down"));
    EXPECT_TRUE(waitForScreen([&](const Screenshot& s) { return statusLines(s) == start; }));
    key("Down");  // already at the narrowest: nothing changes
    ASSERT_TRUE(inputsDrawn(*p.viewer));  // its frame is drawn: only the two bells of that check
    EXPECT_EQ(statusLines(grabScreen()), start);
    const std::string out = p.viewer->out();
    EXPECT_EQ(std::count(out.begin(), out.end(), '\a'), 2) << out;
}

// Auto-rotation turns the globe on its own; moving the pointer with the left button held stops
// it, after which the picture stays put.
TEST(Pointer, DragCancelsAutoRotation) {
    CellPlanet p;
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    ASSERT_TRUE(keyShown("r"));
    const Screenshot a = grabScreen();
    EXPECT_TRUE(waitForScreen([&](const Screenshot& s) {
        return !(cellAt(s.at(kCentreX + 40, kCentreY - 40)) == cellAt(a.at(kCentreX + 40, kCentreY - 40)));
    })) << "the globe did not turn";
    const int endX = kFramed.x + 530, endY = kFramed.y + 382;
    dragLeft(kFramed.x + 510, kFramed.y + 382, endX, endY);
    // The pointer now rules: 20 pixels right of the start is longitude 10 east at the centre.
    // A warp from a frame drawn before the drag was taken can land after the drag's last move:
    // once the drag and any such warp have been taken, the pointer goes back on the drag's end.
    ASSERT_TRUE(inputsDrawn(*p.viewer));
    movePointer(endX, endY);
    EXPECT_TRUE(waitForScreen([&](const Screenshot& s) {
        return cellAt(s.at(kCentreX + 40, kCentreY - 40)) == Cell{0, 10} &&
               cellAt(s.at(kCentreX - 10, kCentreY - 40)) == Cell{0, 0};
    })) << "the view does not follow the pointer after the drag";
    ASSERT_TRUE(inputsDrawn(*p.viewer));
    const Screenshot still = grabScreen();
    ASSERT_TRUE(inputsDrawn(*p.viewer));  // two more frames, which a turning globe would change
    EXPECT_EQ(grabScreen().pixels, still.pixels) << "the globe kept turning after the drag";
}

// Reads the latitude and longitude that "L" writes into Orvex.Out (the same values the "Lat="
// and "Lon=" lines show).
bool exportedCentre(CellPlanet& p, double& latitude, double& longitude) {
    if (!keyShown("l")) return false;
    std::string text;
    const bool written = waitUntil([&] {  // all three lines, not a file half written
        const auto bytes = p.scratch.read("Orvex.Out");
        text.assign(bytes.begin(), bytes.end());
        return std::count(text.begin(), text.end(), '\n') == 3;
    });
    std::istringstream in(text);
    const bool read = written && static_cast<bool>(in >> latitude >> longitude);
    movePointer(100, 120);  // inside the small window, where keys go
    key("l");               // back to the full view
    return read;
}

TEST(Pointer, CentreReadoutMatchesThePictureUnderTheCrossHair) {
    CellPlanet p;
    ASSERT_TRUE(p.ready()) << p.diagnostics();
    // Pointer at (590, 322) of the window: latitude 101 - 161 = -60, longitude -295 - 105 = -400,
    // so the centre shows 30 north, 40 east.
    movePointer(kFramed.x + 590, kFramed.y + 322);
    EXPECT_TRUE(waitForScreen([](const Screenshot& s) { return cellAt(s.at(kCentreX + 40, kCentreY - 40)) == Cell{30, 40}; }));
    double latitude = 0, longitude = 0;
    ASSERT_TRUE(exportedCentre(p, latitude, longitude)) << p.diagnostics();
    EXPECT_DOUBLE_EQ(latitude, 30.0);
    EXPECT_DOUBLE_EQ(longitude, 40.0);
    EXPECT_EQ(cellContaining(latitude + 1, longitude + 1), (Cell{30, 40}));
}

}  // namespace
}  // namespace e2e
