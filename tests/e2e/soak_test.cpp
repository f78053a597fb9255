// A long session under random input: the real viewer fed a seeded stream of command keys, other
// keys, special keys, pointer motion, drags and menu picks. It must keep drawing, print nothing
// but bell lines and dump lines, and keep its live heap flat once warmed up. Resident memory is
// reported but not checked: the driver's share of it moves by megabytes with what is on screen.
//   ORVEX_SOAK_SECONDS  seconds of random input in all (default 90), the first third of them
//                       warm-up; set it for a longer run by hand
//   ORVEX_SOAK_SEED     seed of the stream (default fixed), to replay a failing run
#include <algorithm>
#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "harness.hpp"
#include "transcript.hpp"

namespace e2e {
namespace {

double soakSeconds() {
    const char* value = std::getenv("ORVEX_SOAK_SECONDS");
    return value ? std::atof(value) : 90.0;
}

unsigned soakSeed() {
    const char* value = std::getenv("ORVEX_SOAK_SEED");
    return value ? static_cast<unsigned>(std::strtoul(value, nullptr, 10)) : 20261207u;
}

// The viewer process: this test's own child running the viewer binary.
int viewerPid() {
    DIR* proc = opendir("/proc");
    if (!proc) return -1;
    int found = -1;
    while (dirent* entry = readdir(proc)) {
        const int pid = std::atoi(entry->d_name);
        if (pid <= 0) continue;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line)) continue;
        // "pid (comm) state ppid ..."; comm may hold blanks, so parse from its closing bracket.
        const auto close = line.rfind(')');
        const auto open = line.find('(');
        if (close == std::string::npos || open == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        int parent = 0;
        rest >> state >> parent;
        if (parent == getpid() && line.substr(open + 1, close - open - 1) == "orvex") found = pid;
    }
    closedir(proc);
    return found;
}

// VmRSS of a process in kB, or -1.
long residentKb(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

// Memory of the viewer at a quiet moment: each figure the smallest of a few readings, since a
// dump or a frame in progress holds its buffers only for a moment.
struct Memory {
    std::int64_t ownBytes = 0;   // live heap allocated by the viewer's own code
    std::int64_t liveBytes = 0;  // the whole process's live heap, the driver's included
    long residentKb = 0;
};

Memory settledMemory(int pid, const Viewer& viewer) {
    Memory least{INT64_MAX, INT64_MAX, LONG_MAX};
    for (int k = 0; k < 6; ++k) {
        const PreloadRecord heap = viewer.record();
        least.ownBytes = std::min(least.ownBytes, heap.ownBytes);
        least.liveBytes = std::min(least.liveBytes, heap.liveBytes);
        least.residentKb = std::min(least.residentKb, residentKb(pid));
        pauseMs(400);
    }
    return least;
}

std::ostream& operator<<(std::ostream& os, const Memory& m) {
    return os << m.ownBytes / 1024 << " kB own heap, " << m.liveBytes / 1024 << " kB whole heap, " << m.residentKb
              << " kB resident";
}

// The viewer allocates nothing in a steady frame and frees what a command allocates, so its own
// live heap comes back to the same figure at every quiet moment.
constexpr std::int64_t kOwnHeapLimit = 16 * 1024;

// One image-size line of the start-up report.
std::string sizeLine(const std::string& name, int w, int h, int glW, int glH) {
    char text[128];
    std::snprintf(text, sizeof text, " %s:%10d by%7d OpenGL::%10d by%7d\n", lines::field20(name).c_str(), w, h,
                  glW, glH);
    return text;
}

// Three pictures: the cell planet, a palette picture and one with an odd width.
void writePlanets(const Scratch& s) {
    s.writeConfig("3\ncells.bmp\n6371\npal.bmp\n3390\nodd.bmp\n1737.4\n");
    s.write("cells.bmp", encodeBmp24(latLonCellTexture(720, 360)));
    IndexedPicture pal(100, 50, 16);
    for (int k = 0; k < 16; ++k) pal.palette[k] = Rgb{static_cast<std::uint8_t>(16 * k), 90, static_cast<std::uint8_t>(255 - 16 * k)};
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) pal.at(x, y) = static_cast<std::uint8_t>((x / 7 + y / 5) % 16);
    s.write("pal.bmp", encodeBmp8(pal));
    Picture odd(1001, 500);
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 1001; ++x)
            odd.at(x, y) = Rgb{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(x ^ y)};
    s.write("odd.bmp", encodeBmp24(odd));
}

const std::string kStartupReport = lines::opening + "     3 texture images:\n" + lines::image("cells.bmp", "   6371.") +
                                   lines::image("pal.bmp", "   3390.") + lines::image("odd.bmp", "   1737.") +
                                   sizeLine("cells.bmp", 720, 360, 1024, 512) + sizeLine("pal.bmp", 100, 50, 128, 64) +
                                   sizeLine("odd.bmp", 1001, 500, 1024, 512);

std::string dumpLine(int n) {
    return " Writing: ScrnDmp" + std::to_string(n) + ".Bmp  size:     1024 x       768\n";
}

// Drives the viewer's window: keeps every input inside the window as it is now, and waits for
// the window to change size after each L so that the next input lands inside it.
struct Driver {
    WindowId window;
    Viewer& viewer;
    std::mt19937 random;
    int dumps = 0;
    std::map<std::string, int> counts;  // inputs sent, by kind

    int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }


    // A point well inside the window, in screen coordinates.
    std::pair<int, int> inside() {
        const Geometry g = geometryOf(window);
        return {g.x + uniform(12, std::max(12, g.width - 13)), g.y + uniform(12, std::max(12, g.height - 13))};
    }

    void keyInside(const std::string& name) {
        const auto [x, y] = inside();
        movePointer(x, y);
        key(name);
    }

    // After an L the window changes size in the next frame; a key replaced by another request
    // in the same frame changes nothing, so the wait is bounded and not an error.
    void awaitResize(const Geometry& before) {
        waitUntil([&] { return geometryOf(window).width != before.width; }, Seconds(3.0));
    }

    void commandKey() {
        static const char* const keys[] = {"1", "2", "3", "4", "5", "e", "g", "h", "i", "l", "p", "r",
                                           "E", "G", "H", "I", "L", "P", "R"};
        const std::string name = keys[uniform(0, static_cast<int>(std::size(keys)) - 1)];
        const Geometry before = geometryOf(window);
        keyInside(name);
        if (name == "l" || name == "L") awaitResize(before);
        ++counts["command key"];
    }

    void otherKey() {
        static const char* const keys[] = {"6", "9", "0", "a", "z", "w", "space", "Return", "Escape",
                                           "minus", "comma", "slash", "Tab", "BackSpace", "asciicircum"};
        keyInside(keys[uniform(0, static_cast<int>(std::size(keys)) - 1)]);
        ++counts["other key"];
    }

    void specialKey() {
        static const char* const keys[] = {"Up", "Up", "Up", "Down", "Down", "Down", "Left", "Right",
                                           "Home", "End", "Prior", "Next", "F1", "F10", "F12"};
        keyInside(keys[uniform(0, static_cast<int>(std::size(keys)) - 1)]);
        ++counts["special key"];
    }

    void motion() {
        const auto [x, y] = inside();
        movePointer(x, y);
        ++counts["pointer motion"];
    }

    void drag() {
        const auto [x0, y0] = inside();
        const auto [x1, y1] = inside();
        dragLeft(x0, y0, x1, y1, uniform(2, 8));
        ++counts["drag"];
    }

    // Auto-rotation warps the pointer every frame, which would pull it off an open menu, so a
    // short drag stops it first, as a user would. An R still pending when the drag is taken is
    // applied after it and turns rotation back on, so the drag is repeated until the pointer
    // stays where the drag left it while frames are drawn.
    void menuPick() {
        const int entry = uniform(1, 12);  // never 13, the quit entry
        const Geometry before = geometryOf(window);
        const auto [x, y] = inside();
        const std::string end = "x:" + std::to_string(x + 2) + " y:" + std::to_string(y + 2) + " ";
        for (int attempt = 0; attempt < 5; ++attempt) {
            dragLeft(x, y, x + 2, y + 2, 2);
            viewer.framesDrawn(3);
            if (runTool({"xdotool", "getmouselocation"}).rfind(end, 0) == 0) break;
        }
        pickMenuEntry(x, y, entry);
        if (entry == 10) awaitResize(before);
        ++counts["menu pick"];
    }

    void dump() {
        keyInside("asciitilde");
        ++dumps;
        ++counts["dump"];
    }

    // Back to the full window if an L left the small one up.
    void fullWindow(const Geometry& full) {
        if (geometryOf(window).width == full.width) return;
        keyInside("l");
        waitUntil([&] { return geometryOf(window) == full; });
    }

    // One random input.
    void step(int dumpLimit) {
        const int r = uniform(0, 999);
        if (r < 5 && dumps < dumpLimit) dump();
        else if (r < 330) commandKey();
        else if (r < 420) otherKey();
        else if (r < 580) specialKey();
        else if (r < 800) motion();
        else if (r < 900) drag();
        else menuPick();
    }
};

// Random inputs for `length` at a bounded rate; stops early when the viewer has ended or has
// written on standard error. Returns the number of inputs sent.
int randomStream(Driver& d, Viewer& v, Seconds length, int dumpLimit) {
    const auto start = Clock::now();
    int inputs = 0;
    while (Clock::now() - start < length) {
        d.step(dumpLimit);
        ++inputs;
        pauseMs(d.uniform(40, 200));
        if (inputs % 16 == 0 && (!v.running() || !v.err().empty())) break;
    }
    return inputs;
}

TEST(Soak, RandomInputKeepsTheViewerDrawingWithFlatMemory) {
    Scratch s;
    writePlanets(s);
    Viewer v(s.path(), {"ORVEX_PRELOAD_HEAP=1"});
    const auto window = waitForFrames();
    ASSERT_TRUE(window.has_value()) << v.out() << v.err();
    const int pid = viewerPid();
    ASSERT_GT(pid, 0);
    Driver d{*window, v, std::mt19937(soakSeed()), 0, {}};
    const Geometry full = geometryOf(*window);
    const Seconds length(soakSeconds());

    // Warm-up. First every path that allocates once for the run: place names compiled, two
    // dumps (the second settles the allocator after the first), the small window and back, the
    // menu, every image drawn, the grid, help, texture and rotation switches, and the busiest
    // frames. Then a stretch of the random stream itself.
    d.keyInside("p");
    d.keyInside("asciitilde");
    ASSERT_TRUE(v.waitForOut(dumpLine(1))) << v.out() << v.err();
    d.keyInside("asciitilde");
    ASSERT_TRUE(v.waitForOut(dumpLine(2))) << v.out() << v.err();
    d.dumps = 2;
    d.keyInside("l");
    ASSERT_TRUE(waitUntil([&] { return geometryOf(*window).width == 320; })) << geometryOf(*window);
    d.keyInside("l");
    ASSERT_TRUE(waitUntil([&] { return geometryOf(*window) == full; })) << geometryOf(*window);
    d.menuPick();
    for (const char* k : {"2", "3", "1", "g", "h", "i", "i", "r", "r"}) {
        d.keyInside(k);
        pauseMs(300);
    }
    // The busiest frames the driver will see: places, grid and help on, in each eye mode, across
    // the whole zoom range.
    for (int eyeMode = 0; eyeMode < 3; ++eyeMode) {
        for (const char* arrow : {"Up", "Down", "Up"}) {
            for (int k = 0; k < 12; ++k) d.keyInside(arrow);
        }
        d.keyInside("e");
        pauseMs(300);
    }
    // Then three stretches of the random stream; the baseline is the highest settled reading
    // after them, so that what one picture on screen holds is not taken for growth.
    int inputs = 0;
    Memory baseline;
    for (int stretch = 0; stretch < 3; ++stretch) {
        inputs += randomStream(d, v, length / 9, 2);
        ASSERT_TRUE(v.running()) << v.out() << v.err();
        d.fullWindow(full);
        const Memory now = settledMemory(pid, v);
        baseline.ownBytes = std::max(baseline.ownBytes, now.ownBytes);
        baseline.liveBytes = std::max(baseline.liveBytes, now.liveBytes);
        baseline.residentKb = std::max(baseline.residentKb, now.residentKb);
    }
    ASSERT_GT(baseline.residentKb, 0);
    const std::int64_t framesBefore = v.frames();

    // The measured stream, with up to two more dumps.
    const auto start = Clock::now();
    const int warmUpInputs = inputs;
    inputs += randomStream(d, v, length * 2 / 3, 4);
    const double seconds = std::chrono::duration_cast<Seconds>(Clock::now() - start).count();
    ASSERT_TRUE(v.running()) << v.out() << v.err();
    ASSERT_EQ(v.err(), "");
    d.fullWindow(full);
    const std::int64_t frames = v.frames() - framesBefore;
    const Memory final = settledMemory(pid, v);

    // Still drawing: image 1 on the sphere, the orientation back on the pointer, and the picture
    // follows the pointer.
    d.keyInside("1");
    pauseMs(300);
    dragLeft(full.x + 400, full.y + 300, full.x + 420, full.y + 320);
    movePointer(full.x + 300, full.y + 300);
    pauseMs(500);
    const Screenshot before = grabScreen();
    movePointer(full.x + 700, full.y + 450);
    EXPECT_TRUE(waitForScreen([&](const Screenshot& now) { return now.pixels != before.pixels; }, kShortLimit))
        << "the window no longer changes";
    EXPECT_TRUE(findWindow(kViewerTitle).has_value());
    EXPECT_TRUE(v.running());

    // Nothing but the start-up report, bell lines and one dump line per dump.
    const std::string out = v.out();
    ASSERT_EQ(out.substr(0, kStartupReport.size()), kStartupReport);
    std::istringstream rest(out.substr(kStartupReport.size()));
    std::string line;
    int dumpLines = 0, bells = 0;
    while (std::getline(rest, line)) {
        if (line == "\a") {
            ++bells;
        } else if (line + "\n" == dumpLine(dumpLines + 1)) {
            ++dumpLines;
        } else {
            ADD_FAILURE() << "unexpected console line: \"" << line << "\"";
        }
    }
    EXPECT_EQ(dumpLines, d.dumps);
    EXPECT_EQ(v.err(), "");

    std::cout << "[ soak     ] seed " << soakSeed() << ": " << warmUpInputs << " inputs of warm-up, then "
              << (inputs - warmUpInputs) << " in " << seconds << " s; all " << inputs << " inputs:";
    for (const auto& [kind, count] : d.counts) std::cout << " " << kind << " " << count << ";";
    std::cout << " " << bells << " bell lines; " << frames << " frames drawn in the measured stream\n"
              << "[ soak     ] after warm-up: " << baseline << "\n[ soak     ] at the end:    " << final
              << "\n[ soak     ] growth: " << final.ownBytes - baseline.ownBytes << " B own heap, "
              << final.liveBytes - baseline.liveBytes << " B whole heap, " << final.residentKb - baseline.residentKb
              << " kB resident\n";
    if (!kHeapCounted) {
        // A sanitizer build brings its own allocator, which the counter cannot stand in for.
        std::cout << "[ soak     ] no heap counter in this build: memory reported, not checked\n";
        return;
    }
    EXPECT_LT(final.ownBytes - baseline.ownBytes, kOwnHeapLimit) << "the viewer's own heap grew";
}

}  // namespace
}  // namespace e2e
