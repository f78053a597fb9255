// The Windows build against the Linux build (tools/test_windows.sh runs it under Wine): the same
// first picture and screen dump of a map, and an Orvex.Out written on Windows that the Linux build
// reads back to the same view. "The same" allows a few colour values one step apart: the C
// runtimes' sin and tan (the eye distance, GLU's sphere) may differ in the last bit.
#include <algorithm>
#include <cstdlib>

#include "harness.hpp"

namespace e2e {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Equal but for at most one byte in 10,000, each one step apart.
::testing::AssertionResult nearlyEqual(const Bytes& a, const Bytes& b) {
    if (a.size() != b.size() || a.size() < 54) return ::testing::AssertionFailure() << "sizes " << a.size() << ", " << b.size();
    size_t differing = 0;
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        differing += a[i] != b[i];
        largest = std::max(largest, std::abs(a[i] - b[i]));
    }
    if (largest <= 1 && differing <= a.size() / 10000) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " of " << a.size() << " bytes differ, by up to " << largest;
}

// One build on the cell map: the drawing area on screen, ScrnDmp1.Bmp, the Orvex.Out that L
// writes, and ScrnDmp2.Bmp after L has read back `latLonToRead` (its own file when empty).
struct BuildRun {
    Bytes screen, dump, latLonFile, dumpAfterReadBack;
};

BuildRun runBuild(Program program, const Bytes& latLonToRead = {}) {
    BuildRun r;
    Scratch s;
    s.writeConfig("1\ncells.bmp\n6371\n");
    s.write("cells.bmp", encodeBmp24(latLonCellTexture(720, 360)));
    Viewer v(s.path(), {}, program);
    const auto window = waitForFrames();
    if (!window) {
        ADD_FAILURE() << v.out() << v.err();
        return r;
    }
    const Geometry area = geometryOf(*window);
    movePointer(area.x + 410, area.y + 300);  // the same view in both
    EXPECT_TRUE(inputsDrawn(v)) << v.out();
    const Screenshot shot = grabScreen();
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x) r.screen.insert(r.screen.end(), {shot.at(x, y).r, shot.at(x, y).g, shot.at(x, y).b});

    const auto dumped = [&](const char* name) {
        EXPECT_TRUE(waitUntil([&] { return s.read(name).size() == 54 + 1024 * 768 * 3; })) << name;
        return s.read(name);
    };
    key("asciitilde");
    r.dump = dumped("ScrnDmp1.Bmp");
    key("l");
    EXPECT_TRUE(waitUntil([&] { return geometryOf(*window).width == 320 && !s.read("Orvex.Out").empty(); }));
    r.latLonFile = s.read("Orvex.Out");
    if (!latLonToRead.empty()) s.write("Orvex.Out", latLonToRead);
    movePointer(geometryOf(*window).x + 100, geometryOf(*window).y + 120);
    key("l");
    EXPECT_TRUE(waitUntil([&] { return placedAsFullView(*window); }));
    EXPECT_TRUE(inputsDrawn(v)) << v.out();  // the read-back warped the pointer into the window
    key("asciitilde");
    r.dumpAfterReadBack = dumped("ScrnDmp2.Bmp");
    EXPECT_EQ(v.out().find("Orvex.Out holds no usable"), std::string::npos) << v.out();
    EXPECT_EQ(v.err(), "");
    return r;
}

TEST(Windows, SamePictureDumpAndLatLonFileAsLinux) {
    if (!underWine()) GTEST_SKIP() << "runs under Wine (tools/test_windows.sh)";
    const BuildRun windows = runBuild(Program::underTest);
    const BuildRun linux = runBuild(Program::linuxBuild, windows.latLonFile);
    EXPECT_TRUE(nearlyEqual(windows.screen, linux.screen)) << "the first picture on screen";
    EXPECT_TRUE(nearlyEqual(windows.dump, linux.dump)) << "ScrnDmp1.Bmp";
    EXPECT_TRUE(windows.dump.size() >= 54 && std::equal(windows.dump.begin(), windows.dump.begin() + 54, linux.dump.begin()));
    Bytes withCrLf;  // the Linux build's line, with Windows' line end
    for (const std::uint8_t c : linux.latLonFile) {
        if (c == '\n') withCrLf.push_back('\r');
        withCrLf.push_back(c);
    }
    EXPECT_EQ(windows.latLonFile, withCrLf);
    EXPECT_TRUE(nearlyEqual(windows.dumpAfterReadBack, linux.dumpAfterReadBack)) << "the view read back from Orvex.Out";
}

}  // namespace
}  // namespace e2e
