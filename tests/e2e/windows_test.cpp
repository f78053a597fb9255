// The Windows build against the Linux build (tools/test_windows.sh runs it under Wine): the same
// first picture and screen dump of a map, and an Orvex.Out written on Windows that the Linux build
// reads back to the same view. "The same" allows a few colour values one step apart: the C
// runtimes' sin and tan (the eye distance, GLU's sphere) may differ in the last bit.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

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

// The picture helpers: the Earth JPEG halved by the Windows helper and by the Linux helper gives
// BMPs of one size and header whose pixels differ little, though the scalers differ (area
// averaging against libvips' shrink-on-load and Lanczos: under a level on average, the largest
// difference about 50 at sharp coasts); the Windows viewer reads the Windows helper's map.
TEST(Windows, PictureHelpersAgreeAndTheViewerReadsTheMap) {
    const char* jpeg = "/usr/share/xplanet/images/earth.jpg";
    if (!underWine() || access(jpeg, R_OK) != 0) GTEST_SKIP() << "runs under Wine, with xplanet-images";
    Scratch s;
    const auto helper = std::filesystem::path(std::getenv("ORVEX_E2E_WINE")).parent_path() / "orvex-picture.exe";
    const auto linuxHelper = std::filesystem::path(ORVEX_BINARY).parent_path() / "orvex-picture";
    std::filesystem::create_directory(s.path() / "linux");
    const std::string arguments = std::string(" --max-size 1024 ") + jpeg + " 6371 earth.bmp >/dev/null";
    ASSERT_EQ(std::system(("cd '" + s.path().string() + "' && wine '" + helper.string() + "'" + arguments).c_str()), 0);
    ASSERT_EQ(std::system(("cd '" + (s.path() / "linux").string() + "' && '" + linuxHelper.string() + "'" + arguments).c_str()), 0);
    const Bytes windows = s.read("earth.bmp"), linux = s.read("linux/earth.bmp");
    ASSERT_EQ(windows.size(), 54u + 1024 * 512 * 3);
    ASSERT_EQ(linux.size(), windows.size());
    EXPECT_TRUE(std::equal(windows.begin(), windows.begin() + 54, linux.begin())) << "the BMP headers";
    int largest = 0;
    size_t beyondEight = 0;
    double total = 0;
    for (size_t i = 54; i < windows.size(); ++i) {
        const int d = std::abs(windows[i] - linux[i]);
        largest = std::max(largest, d), total += d, beyondEight += d > 8;
    }
    const size_t bytes = windows.size() - 54;
    std::cout << "helpers: mean difference " << total / bytes << ", largest " << largest << ", " << beyondEight
              << " of " << bytes << " bytes beyond 8 levels\n";
    EXPECT_LT(total / bytes, 1.5);
    EXPECT_LT(beyondEight, bytes / 50);

    Viewer v(s.path());  // with the Orvex.Txt the Windows helper wrote
    EXPECT_TRUE(waitForFrames().has_value()) << v.out() << v.err();
    EXPECT_EQ(v.err(), "");
}

}  // namespace
}  // namespace e2e
