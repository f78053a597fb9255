// The viewer's window: title, placement, the GL check before the main loop, first frame and the
// ways to end a run from the window.
#include <regex>

#include "harness.hpp"
#include "transcript.hpp"

namespace e2e {
namespace {

TEST(Window, OpensTitledAtTopLeft) {
    CellPlanet p(1, 6371);  // started, not yet waited for
    Viewer& v = *p.viewer;
    const auto window = waitForWindow(kViewerTitle);
    ASSERT_TRUE(window.has_value()) << v.out() << v.err();
    EXPECT_EQ(nameOf(*window), "Orvex.Exe v0.73");
    // Depending on how soon we look, the first frame may already have moved it.
    const Geometry g = geometryOf(*window);
    EXPECT_TRUE(g == kOpenedGeometry || g == kFramed) << g;
}

TEST(Window, FramesKeepItBelowTheTopEdge) {
    CellPlanet p(1, 6371);  // started, not yet waited for
    Viewer& v = *p.viewer;
    const auto window = waitForWindow(kViewerTitle);
    ASSERT_TRUE(window.has_value()) << v.out() << v.err();
    Geometry g;
    EXPECT_TRUE(waitUntil([&] { return (g = geometryOf(*window)) == kFramed; }, kStartupLimit)) << g;
}

// The first frame puts the pointer at the spot that faces latitude 0, longitude 0 with north up:
// the four cells around the centre of the window must sit north-east, north-west, south-east and
// south-west of that point, east to the right.
TEST(Window, FirstFrameFacesLatLonZero) {
    CellPlanet p(1, 6371);  // started, not yet waited for
    Viewer& v = *p.viewer;
    ASSERT_TRUE(waitForFrames().has_value()) << v.out() << v.err();
    const int cx = kFramed.x + kFramed.width / 2, cy = kFramed.y + kFramed.height / 2;
    auto cellUnder = [](const Screenshot& shot, int x, int y) { return cellAt(shot.at(x, y)); };
    Screenshot shot;
    const bool drawn = waitForScreen([&](const Screenshot& sh) {
        shot = sh;
        return cellUnder(sh, cx + 25, cy - 25).has_value() && cellUnder(sh, cx - 25, cy + 25).has_value();
    });
    ASSERT_TRUE(drawn) << "no cell colour near the centre";
    EXPECT_EQ(cellUnder(shot, cx + 25, cy - 25), (Cell{0, 0}));
    EXPECT_EQ(cellUnder(shot, cx - 25, cy - 25), (Cell{0, -10}));
    EXPECT_EQ(cellUnder(shot, cx + 25, cy + 25), (Cell{-10, 0}));
    EXPECT_EQ(cellUnder(shot, cx - 25, cy + 25), (Cell{-10, -10}));
}

// A picture wider than GL's largest texture: its upload fails, the check before the main loop
// reports it, the run pauses for a line of input and then stops.
TEST(Window, GlErrorBeforeMainLoopPausesThenStops) {
    Scratch s;
    s.writeConfig("1\nwide.bmp\n6371\n");
    s.write("wide.bmp", encodeBmp24(Picture(65536, 1, Rgb{10, 20, 30})));
    Viewer v(s.path());
    const std::string head = lines::opening + "     1 texture images:\n" + lines::image("wide.bmp", "   6371.") +
                             " wide.bmp            :     65536 by      1 OpenGL::     65536 by      2\n";
    const std::string pause = "Orvex: OpenGL error detected prior to GlutMainLoop call.\n";
    ASSERT_TRUE(v.waitForOut(pause)) << v.out() << v.err();
    EXPECT_TRUE(v.running()) << "the pause should wait for a line of input";
    EXPECT_EQ(v.err(), "");
    v.sendLine("go on");
    ASSERT_TRUE(v.waitForExit());
    const std::string out = v.out();
    ASSERT_EQ(out.substr(0, head.size()), head);
    // Width beyond the limit is GL_INVALID_VALUE; accept any GL error code of the 0x50n family.
    EXPECT_TRUE(std::regex_match(out.substr(head.size()),
                                 std::regex(" CheckGL:@Line 698 GlErr=     50[0-9a-f] hex\n" + pause)))
        << out.substr(head.size());
    EXPECT_EQ(v.err(), "Orvex: Input data error. Exiting.\n");
    EXPECT_EQ(v.exitStatus(), 0);
}

// ---------------------------------------------------------------------------------------------
// Ending the run from the window

TEST(Window, QKeyEndsTheRun) {
    CellPlanet p(1, 6371);  // started, not yet waited for
    Viewer& v = *p.viewer;
    const auto window = waitForFrames();
    ASSERT_TRUE(window.has_value()) << v.out() << v.err();
    const Geometry g = geometryOf(*window);
    movePointer(g.x + g.width / 2, g.y + g.height / 2);  // keys go to the window under the pointer
    key("q");
    ASSERT_TRUE(v.waitForExit()) << v.out() << v.err();
    EXPECT_EQ(v.err(), "End of run (keyboard).\n");
    EXPECT_EQ(v.exitStatus(), 0);
}

TEST(Window, MenuQuitEndsTheRun) {
    CellPlanet p(1, 6371);  // started, not yet waited for
    Viewer& v = *p.viewer;
    const auto window = waitForFrames();
    ASSERT_TRUE(window.has_value()) << v.out() << v.err();
    const Geometry g = geometryOf(*window);
    const Geometry menu = pickMenuEntry(g.x + 100, g.y + 100, 13);
    EXPECT_GT(menu.height, 13 * 5) << "thirteen entries";
    ASSERT_TRUE(v.waitForExit()) << v.out() << v.err();
    EXPECT_EQ(v.err(), "End of run (menu).\n");
    EXPECT_EQ(v.exitStatus(), 0);
}

}  // namespace
}  // namespace e2e
