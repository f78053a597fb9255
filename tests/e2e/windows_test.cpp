// The Windows build against the Linux build (run by tools/test_windows.sh, under Wine): the same
// first picture of a map, the same screen dump, and an Orvex.Out each build reads from the other.
// "The same" allows a few colour values one step apart: the two C runtimes' sin and tan (in the
// eye distance and in GLU's sphere and perspective) may differ in the last bit, which moves a
// handful of pixels' shading by one step.
#include <algorithm>
#include <cstdlib>

#include "harness.hpp"

namespace e2e {
namespace {

// One build's run on the cell map: its first picture, its dump, its Orvex.Out, and the picture
// after L has read back `latLonFile` (its own when empty).
struct BuildRun {
    std::vector<std::uint8_t> first, afterReadBack, dump, latLonFile;
};

std::vector<std::uint8_t> drawingArea(const Geometry& area) {
    const Screenshot shot = grabScreen();
    std::vector<std::uint8_t> bytes;
    for (int y = area.y; y < area.y + area.height; ++y)
        for (int x = area.x; x < area.x + area.width; ++x) {
            const Rgb c = shot.at(x, y);
            bytes.insert(bytes.end(), {c.r, c.g, c.b});
        }
    return bytes;
}

// Equal but for at most one byte in 10,000, each at most one step apart.
::testing::AssertionResult nearlyEqual(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size()) return ::testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size();
    size_t differing = 0;
    int largest = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        differing += a[i] != b[i];
        largest = std::max(largest, std::abs(a[i] - b[i]));
    }
    if (largest <= 1 && differing <= a.size() / 10000) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " of " << a.size() << " bytes differ, by up to " << largest;
}

BuildRun runBuild(Program program, const std::vector<std::uint8_t>& latLonToRead = {}) {
    BuildRun r;
    Scratch s;
    s.writeConfig("1\ncells.bmp\n6371\n");
    s.write("cells.bmp", encodeBmp24(latLonCellTexture(720, 360)));
    Viewer v(s.path(), {}, program);
    const auto window = waitForFrames();
    EXPECT_TRUE(window.has_value()) << v.out() << v.err();
    if (!window) return r;
    const Geometry area = geometryOf(*window);
    movePointer(area.x + 410, area.y + 300);  // the same view in both: 100 and 82 pixels off centre
    EXPECT_TRUE(inputsDrawn(v)) << v.out();
    r.first = drawingArea(area);

    key("asciitilde");
    EXPECT_TRUE(waitUntil([&] { return s.read("ScrnDmp1.Bmp").size() == 54 + 1024 * 768 * 3; }));
    r.dump = s.read("ScrnDmp1.Bmp");

    key("l");
    EXPECT_TRUE(waitUntil([&] { const Geometry g = geometryOf(*window); return g.width == 320 && g.height == 240; }));
    EXPECT_TRUE(waitUntil([&] { return !s.read("Orvex.Out").empty(); }));
    r.latLonFile = s.read("Orvex.Out");
    if (!latLonToRead.empty()) s.write("Orvex.Out", latLonToRead);
    const Geometry small = geometryOf(*window);
    movePointer(small.x + 100, small.y + 120);
    key("l");
    EXPECT_TRUE(waitUntil([&] { return placedAsFullView(*window); }));
    movePointer(area.x + 410, area.y + 300);
    EXPECT_TRUE(inputsDrawn(v)) << v.out();
    r.afterReadBack = drawingArea(area);
    EXPECT_EQ(v.err(), "");
    v.stop();
    return r;
}

TEST(Windows, SamePictureDumpAndLatLonFileAsLinux) {
    if (!underWine()) GTEST_SKIP() << "runs under Wine (tools/test_windows.sh)";
    const BuildRun windows = runBuild(Program::underTest);
    const BuildRun linux = runBuild(Program::linuxBuild, windows.latLonFile);

    EXPECT_TRUE(nearlyEqual(windows.first, linux.first)) << "the first picture";
    EXPECT_TRUE(nearlyEqual(windows.dump, linux.dump)) << "ScrnDmp1.Bmp";
    ASSERT_EQ(windows.dump.size(), linux.dump.size());
    ASSERT_GE(windows.dump.size(), 54u);
    EXPECT_TRUE(std::equal(windows.dump.begin(), windows.dump.begin() + 54, linux.dump.begin()))
        << "ScrnDmp1.Bmp's header";

    // The same line as Linux writes, with Windows' line end; the Linux build reads it back to the
    // same view as the Windows build did.
    const std::string windowsText(windows.latLonFile.begin(), windows.latLonFile.end());
    std::string linuxWithCrLf;
    for (const std::uint8_t c : linux.latLonFile) linuxWithCrLf += c == '\n' ? std::string("\r\n") : std::string(1, char(c));
    EXPECT_EQ(windowsText, linuxWithCrLf);
    EXPECT_TRUE(nearlyEqual(windows.afterReadBack, linux.afterReadBack)) << "the view read back from Orvex.Out";
}

}  // namespace
}  // namespace e2e
