// The pop-up menu picked both ways, click-click and press-drag-release: every entry gives the
// picture its key gives, bare or under a window manager (ORVEX_E2E_WM=openbox).
#include <algorithm>
#include <string>
#include <vector>

#include "../support/menu_keys.hpp"
#include "harness.hpp"

namespace e2e {
namespace {

// A viewer with five images of radius 1000 to 5000 km: the radius line tells which is shown.
struct MenuSession : CellPlanet {
    int bells = 0;  // rung by the "x" keys that settle the picture

    MenuSession() : CellPlanet(5, 1000, 360) {}
    bool ready() { return CellPlanet::ready() && settled(); }
    // Waits for two frames that took every input sent so far (each rings the bell for an "x").
    // No menu choice may be pending: it would take the place of the "x" in its frame.
    bool settled() {
        bells += 2;
        return inputsDrawn(*viewer);
    }
    // True when the viewer rang the bell only for the settling keys.
    bool onlySettlingBells() {
        const std::string out = viewer->out();
        return std::count(out.begin(), out.end(), '\a') == bells;
    }
    // The drawing area once the inputs sent so far have been drawn.
    std::vector<Rgb> picture() {
        EXPECT_TRUE(settled()) << viewer->out();
        return pixelsOf(grabScreen());
    }
    std::vector<Rgb> pixelsOf(const Screenshot& s) const {
        std::vector<Rgb> p;
        for (int y = area.y; y < area.y + area.height; ++y)
            for (int x = area.x; x < area.x + area.width; ++x) p.push_back(s.at(x, y));
        return p;
    }
    bool showsPicture(const std::vector<Rgb>& wanted) {
        return waitForScreen([&](const Screenshot& s) { return pixelsOf(s) == wanted; });
    }
    void keys(const std::vector<const char*>& names) {
        for (const char* name : names) keyShown(name);
    }
    int whitePixelsTopLeft(const Screenshot& s) const {  // the help screen's text
        int n = 0;
        for (int y = area.y + 60; y < area.y + 220; ++y)
            for (int x = area.x + 8; x < area.x + 150; ++x) n += s.at(x, y) == Rgb{255, 255, 255};
        return n;
    }
    void pick(int entry, MenuWay way) { pickMenuEntry(area.x + 510, area.y + 382, entry, way); }
};

// Entries whose effect is a steady picture: the pick must give the picture the key gives. `setUp`
// makes the pick visible (another image first) and always changes the picture, so that each of
// its keys is seen taken before the next input; `undo` returns to the picture before the pick.
// The key of each entry comes from the table the command step's unit test shares.
struct SameAsKey {
    int entry;
    std::vector<const char*> setUp, undo;
};
const SameAsKey kSameAsKey[] = {
    {1, {"2"}, {"2"}},  {2, {"1"}, {"1"}},  {3, {"2"}, {"2"}}, {4, {"1"}, {"1"}},  {5, {"2"}, {"2"}},
    {6, {}, {"e", "e"}}, {7, {}, {"g"}},     {9, {}, {"i"}},    {11, {}, {"p"}},
};

class MenuEntryChosen : public ::testing::TestWithParam<MenuWay> {};

TEST_P(MenuEntryChosen, EveryEntryRunsItsCommand) {
    MenuSession m;
    ASSERT_TRUE(m.ready()) << m.viewer->out() << m.viewer->err();
    const MenuWay way = GetParam();

    for (const SameAsKey& c : kSameAsKey) {
        SCOPED_TRACE("entry " + std::to_string(c.entry));
        m.keys(c.setUp);
        const auto before = m.picture();
        ASSERT_TRUE(keyShown(std::string(1, testsupport::kMenuKeys[c.entry - 1])));
        const auto byKey = m.picture();
        m.keys(c.undo);
        ASSERT_TRUE(m.showsPicture(before));
        m.pick(c.entry, way);
        EXPECT_TRUE(m.showsPicture(byKey));
        m.keys(c.undo);
        ASSERT_TRUE(m.showsPicture(before));
    }

    // 8: the help screen, whose frame-rate figures change, so it is told by its text's pixels.
    m.pick(8, way);
    EXPECT_TRUE(waitForScreen([&](const Screenshot& s) { return m.whitePixelsTopLeft(s) > 300; }));
    keyShown("h");
    EXPECT_TRUE(waitForScreen([&](const Screenshot& s) { return m.whitePixelsTopLeft(s) == 0; }));

    // 10: the small lat/lon window, and back with "l" typed in it.
    m.pick(10, way);
    EXPECT_TRUE(waitUntil([&] { const Geometry g = geometryOf(m.window); return g.width == 320 && g.height == 240; }));
    const Geometry small = geometryOf(m.window);
    movePointer(small.x + 100, small.y + 120);
    key("l");
    EXPECT_TRUE(waitUntil([&] { return placedAsFullView(m.window); }));
    movePointer(m.area.x + 510, m.area.y + 382);

    // 12: auto-rotation keeps changing the picture; picked again while the globe turns (which
    // moves the pointer every frame, but not while the menu is open), it stops.
    const auto turning = m.picture();
    m.pick(12, way);
    EXPECT_TRUE(waitForScreen([&](const Screenshot& s) { return m.pixelsOf(s) != turning; }));
    m.pick(12, way);
    EXPECT_TRUE(m.viewer->waitForStillFrames());  // the pick taken: frames apart, the same picture
    const auto stopped = m.picture();
    EXPECT_TRUE(m.picture() == stopped) << "the globe still turns";

    // 13: quit.
    m.pick(13, way);
    ASSERT_TRUE(m.viewer->waitForExit()) << m.viewer->out() << m.viewer->err();
    EXPECT_EQ(m.viewer->err(), "End of run (menu).\n");
    EXPECT_EQ(m.viewer->exitStatus(), 0);
    EXPECT_TRUE(m.onlySettlingBells()) << "a pick rang the bell: " << m.viewer->out();
}

// Released just below the menu, where the window's offset would carry the point into the last
// entries: nothing is picked (the run goes on, the picture stays).
TEST(MenuEntryOff, ReleaseBelowTheMenuPicksNothing) {
    MenuSession m;
    ASSERT_TRUE(m.ready()) << m.viewer->out() << m.viewer->err();
    const auto before = m.picture();
    runTool({"xdotool", "mousedown", "3"});
    std::string ids;
    ASSERT_TRUE(waitUntil([&] { return !(ids = runTool({"xdotool", "search", "--onlyvisible", "--name", kMenuName})).empty(); }));
    const Geometry menu = geometryOf(std::stoul(ids));
    movePointer(menu.x + menu.width / 2, menu.y + menu.height - 20);
    movePointer(menu.x + menu.width / 2, menu.y + menu.height + 8);
    runTool({"xdotool", "mouseup", "3"});
    // The viewer reads the pointer when GLUT reports the menu closed, so the pointer stays at
    // the release until then. Wherever the menu stays open, a press elsewhere closes it.
    if (!waitUntil([] { return runTool({"xdotool", "search", "--onlyvisible", "--name", kMenuName}).empty(); })) {
        movePointer(m.area.x + 100, m.area.y + 100);
        runTool({"xdotool", "click", "1"});
    }
    movePointer(m.area.x + 510, m.area.y + 382);
    EXPECT_TRUE(m.showsPicture(before));
    EXPECT_TRUE(m.viewer->running()) << m.viewer->err();
    EXPECT_TRUE(m.onlySettlingBells()) << "the release rang the bell: " << m.viewer->out();
}

// "Rotate" picked with a press that is still held while the globe starts to turn: the pick's
// warp and the rotation's own warps move the pointer under the held button, which is no drag of
// the user's, so the globe turns on, before and after the release.
TEST(MenuEntryHeld, RotationPickedWithTheButtonStillDownKeepsTurning) {
    MenuSession m;
    ASSERT_TRUE(m.ready()) << m.viewer->out() << m.viewer->err();
    auto last = m.picture();
    auto turnsOn = [&] {
        return waitForScreen([&](const Screenshot& s) {
            auto now = m.pixelsOf(s);
            if (now == last) return false;
            last = std::move(now);
            return true;
        });
    };
    m.pick(12, MenuWay::ClickHold);
    for (int turn = 0; turn < 3; ++turn) ASSERT_TRUE(turnsOn()) << "held, turn " << turn;
    runTool({"xdotool", "mouseup", "1"});
    for (int turn = 0; turn < 3; ++turn) ASSERT_TRUE(turnsOn()) << "released, turn " << turn;
}

INSTANTIATE_TEST_SUITE_P(BothWays, MenuEntryChosen, ::testing::Values(MenuWay::ClickClick, MenuWay::PressDragRelease),
                         [](const auto& info) {
                             return std::string(info.param == MenuWay::ClickClick ? "ClickClick" : "PressDragRelease");
                         });

}  // namespace
}  // namespace e2e
