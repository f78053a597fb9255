// Under a window manager (ORVEX_E2E_WM=openbox), which frames the window: the frame sits at the
// full view's place and stays there without the viewer asking again every frame, a move or a
// resize by the user is undone, and the pointer still turns the globe. (The menu scenarios run
// under it too.)
#include "harness.hpp"

#include <X11/Xlib.h>  // after gtest, whose names its macros (None, Bool) would clash with

namespace e2e {
namespace {

TEST(WindowManager, FrameKeepsItsPlaceAndThePointerTurnsTheGlobe) {
    if (!underWindowManager()) GTEST_SKIP() << "runs with ORVEX_E2E_WM=openbox";
    CellPlanet p(1, 6371);
    Viewer& v = *p.viewer;
    const auto window = waitForFrames();
    ASSERT_TRUE(window.has_value()) << frameOf(*waitForWindow(kViewerTitle)) << v.out() << v.err();
    const Geometry frame = frameOf(*window);
    Geometry area = geometryOf(*window);
    EXPECT_FALSE(frame == area) << "openbox put no frame around the window";

    // The viewer asks for its place only when the window has left it: while the globe turns under
    // the pointer for dozens of frames, the window gets no configure event from the window
    // manager (which answers every request, even one that changes nothing).
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    XSelectInput(d, *window, StructureNotifyMask);
    EXPECT_TRUE(v.waitForStillFrames());  // the answer to a request sent while it was being placed
    XSync(d, True);
    for (int step = 1; step <= 6; ++step) {
        const Screenshot before = grabScreen();
        movePointer(area.x + 510 + 10 * step, area.y + 382);
        EXPECT_TRUE(waitForScreen([&](const Screenshot& now) { return now.pixels != before.pixels; }));
    }
    EXPECT_TRUE(v.waitForStillFrames());
    XSync(d, False);
    int configures = 0;
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        configures += event.type == ConfigureNotify;

    }
    XCloseDisplay(d);
    EXPECT_EQ(configures, 0);
    EXPECT_EQ(frameOf(*window), frame);

    // The pointer mapping is in drawing-area pixels: (590, 322) faces 30 north, 40 east.
    movePointer(area.x + 590, area.y + 322);
    EXPECT_TRUE(waitForScreen([&](const Screenshot& shot) {
        return cellAt(shot.at(area.x + 512 + 40, area.y + 374 - 40)) == Cell{30, 40};
    }));

    // Moved or resized by the user, the window is put back.
    runTool({"xdotool", "windowmove", std::to_string(*window), "200", "150"});
    EXPECT_TRUE(waitUntil([&] { return placedAsFullView(*window); })) << frameOf(*window);
    runTool({"xdotool", "windowsize", std::to_string(*window), "700", "500"});
    EXPECT_TRUE(waitUntil([&] { return placedAsFullView(*window); })) << geometryOf(*window);
    EXPECT_EQ(geometryOf(*window), area);
}

}  // namespace
}  // namespace e2e
