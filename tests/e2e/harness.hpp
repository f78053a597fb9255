// End-to-end harness: runs the real viewer in a scratch folder under a private Xvfb server,
// reads its console, looks at its window and drives it with xdotool.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

// Bounds for every wait. They are ceilings, never expected durations: a wait returns as soon as
// its condition holds.
inline constexpr Seconds kStartupLimit{30.0};
inline constexpr Seconds kShortLimit{10.0};

// Polls `condition` every few milliseconds until it holds or `limit` has passed.
bool waitUntil(const std::function<bool()>& condition, Seconds limit = kShortLimit);

// Scenarios whose feature has not landed yet skip with this; setting ORVEX_E2E_PENDING=1 in the
// harness's environment runs them anyway, to see whether they pass now.
bool runPending();
#define ORVEX_PENDING(reason)                                  \
    do {                                                       \
        if (!::e2e::runPending()) GTEST_SKIP() << (reason);    \
    } while (0)

// ============================================================================================
// Pictures and BMP files
// ============================================================================================

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// A true-colour picture, row 0 at the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
    Picture(int w, int h, Rgb fill = {});
    Rgb& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const Rgb& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A palette picture, row 0 at the top; only the first paletteSize entries are written.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    int paletteSize = 256;
    std::array<Rgb, 256> palette{};
    std::vector<std::uint8_t> indices;
    IndexedPicture(int w, int h, int colours = 256);
    std::uint8_t& at(int x, int y) { return indices[static_cast<size_t>(y) * width + x]; }
};

// Uncompressed BMP encoders (54-byte header, rows padded to 4 bytes). Rows are stored bottom row
// first unless topDown is set, which stores them top row first with a negative height.
std::vector<std::uint8_t> encodeBmp24(const Picture& picture, bool topDown = false);
std::vector<std::uint8_t> encodeBmp32(const Picture& picture);
std::vector<std::uint8_t> encodeBmp8(const IndexedPicture& picture);

// The lat/lon cell texture: a whole-planet picture (left edge -180, bottom edge -90) in which
// every 10 x 10 degree cell has a colour of its own.
struct Cell {
    int latSouth;  // -90, -80, ..., 80
    int lonWest;   // -180, -170, ..., 170
    bool operator==(const Cell& o) const { return latSouth == o.latSouth && lonWest == o.lonWest; }
};
Rgb cellColour(Cell cell);
std::optional<Cell> cellAt(Rgb colour);  // nothing for a colour that belongs to no cell
Cell cellContaining(double latitude, double longitude);
Picture latLonCellTexture(int width, int height);

// ============================================================================================
// Scratch folder
// ============================================================================================

// A fresh folder per scenario; removed at the end unless the scenario failed.
class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::filesystem::path& path() const { return path_; }
    void write(const std::string& name, const std::string& text) const;
    void write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
    void writeConfig(const std::string& text) const { write("Orvex.Txt", text); }
    bool exists(const std::string& name) const;
    std::vector<std::uint8_t> read(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// ============================================================================================
// The viewer process
// ============================================================================================

// The Windows build under Wine: with ORVEX_E2E_WINE naming orvex.exe (tools/test_windows.sh sets
// it), every viewer a scenario starts is that program run by wine, and the harness reads it as
// Windows shows it: the drawing area inside Wine's own frame, keys only after a click in it.
bool underWine();
// Which program a Viewer runs: the one under test (the Windows build when under Wine), or the
// Linux build in any case, to compare the two.
enum class Program { underTest, linuxBuild };

// The viewer, started in a folder with a pseudo-terminal as standard output (line-buffered, as
// on a console; output processing is off so the bytes arrive exactly as written), a pipe for
// standard error and a pipe the test writes standard input through. Under Wine standard output
// is a pipe too (Wine's console emulation rewrites a terminal's); CR LF reads as LF (a bare LF as
// "[LF without CR]" LF), and freeglut's note on Wine's missing device context is left out.
class Viewer {
public:
    // `environment` holds extra "NAME=value" entries for the viewer's process alone.
    explicit Viewer(const std::filesystem::path& folder, const std::vector<std::string>& environment = {},
                    Program program = Program::underTest);
    ~Viewer();  // stops the process if it still runs
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    const std::string& out() { pump(); return out_; }
    const std::string& err() { pump(); return err_; }

    bool waitForOut(const std::string& text, Seconds limit = kStartupLimit);
    bool waitForErr(const std::string& text, Seconds limit = kStartupLimit);
    bool waitForExit(Seconds limit = kStartupLimit);
    bool running();
    int exitStatus() const { return status_; }  // exit code, or 128 + signal; -1 while running
    void sendLine(const std::string& line);     // one line on standard input
    void closeInput();
    void stop();                                 // terminates the process and collects its output

    // Runs to the end with standard input closed; for start-ups that end by a stop.
    void finish(Seconds limit = kStartupLimit);

private:
    void pump(int waitMs = 0);
    void reap(int options);
    void drain();

    bool wine_ = false;
    std::string rawOut_, rawErr_;  // as read, before the line ends are folded (Wine)
    int pid_ = -1;
    int status_ = -1;
    int outFd_ = -1;
    int errFd_ = -1;
    int inFd_ = -1;
    std::string out_;
    std::string err_;
};

// ============================================================================================
// The X server and the window
// ============================================================================================

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    constexpr bool operator==(const Geometry& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};
std::ostream& operator<<(std::ostream& os, const Geometry& g);

using WindowId = unsigned long;

inline constexpr const char* kViewerTitle = "Orvex.Exe v0.73";
inline constexpr const char* kMenuName = "freeglut menu";
inline constexpr Geometry kOpenedGeometry{0, 0, 1024, 768};   // the window as created
inline constexpr Geometry kFramedGeometry{0, 20, 1024, 748};  // re-imposed by every full-view frame

// A viewable window with this exact name, found by walking the window tree.
std::optional<WindowId> findWindow(const std::string& name);
std::optional<WindowId> waitForWindow(const std::string& name, Seconds limit = kStartupLimit);
Geometry geometryOf(WindowId window);  // position relative to the root window
// The frame a window manager put around a window (the window itself when there is none).
Geometry frameOf(WindowId window);
// Where every full-view frame puts the window: its outer corner (the frame's, under a window
// manager) at (0, 20), its drawing area 1024 x 748.
bool placedAsFullView(WindowId window);
// True when the run asked for a window manager (ORVEX_E2E_WM=openbox): the private X server then
// runs openbox, which frames and places the viewer's window.
bool underWindowManager();
// The viewer's window once frames are being drawn (the first frame has placed the window and
// warped the pointer), so that input sent afterwards is not disturbed by the first frame.
std::optional<WindowId> waitForFrames(Seconds limit = kStartupLimit);
std::string nameOf(WindowId window);

// A capture of the whole screen.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
    Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Screenshot grabScreen();
bool waitForScreen(const std::function<bool(const Screenshot&)>& condition,
                   Seconds limit = kStartupLimit);
// Waits until two screenshots 150 ms apart are the same: the frames in flight (a reshape the
// viewer has not seen yet, a pointer move) have all been drawn.
bool waitForStillScreen(Seconds limit = kStartupLimit);

// ============================================================================================
// Input through xdotool
// ============================================================================================

// Key names as xdotool knows them: "g", "asciitilde", "Up", "Down", "F1", "F10", ...
void key(const std::string& name);
void typeText(const std::string& text);
void movePointer(int screenX, int screenY);
void dragLeft(int fromX, int fromY, int toX, int toY, int steps = 8);
// Opens the pop-up menu with the right button at (screenX, screenY), picks entry 1..13 one of the
// two ways and returns the menu's geometry, from which the entry was placed.
// ClickHold picks like ClickClick but leaves the picking button held: the caller releases it.
enum class MenuWay { ClickClick, PressDragRelease, ClickHold };
Geometry pickMenuEntry(int screenX, int screenY, int entry, MenuWay way = MenuWay::ClickClick);

// Sends a key and waits until the frame that applied it has changed the screen. Keys are applied
// once per frame and a second key in the same frame replaces the first, so a run of keys that must
// all count goes through here; false when the screen did not change.
bool keyShown(const std::string& name);

// A short pause where nothing on screen can tell that an input has been taken (a bell key).
void pauseMs(int ms);

// Waits until every input sent so far has been taken and its frame drawn: a key without a command
// is sent twice, each awaited by its bell line. The frame that rings the first has taken all the
// input before it, and the second rings only after that frame was swapped. The pointer must be
// in the viewer's window; the two bell lines stay in its output.
bool inputsDrawn(Viewer& viewer);

// Runs a program to its end and returns its standard output (empty on failure).
std::string runTool(const std::vector<std::string>& argv);

}  // namespace e2e
