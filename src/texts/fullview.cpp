#include "texts/texts.hpp"

#include <GL/freeglut.h>

#include "screen/text.hpp"

namespace texts {

namespace {

// --- the wording of this program's own lines ----------------------------------------------------

#define ORVEX_TEXT_OF(x) #x
#define ORVEX_NUMBER_TEXT(x) ORVEX_TEXT_OF(x)

#if defined(__linux__)
#define ORVEX_BUILD_OS "Linux"
#elif defined(_WIN32)
#define ORVEX_BUILD_OS "Windows"
#elif defined(__EMSCRIPTEN__)
#define ORVEX_BUILD_OS "Web"
#elif defined(__APPLE__)
#define ORVEX_BUILD_OS "macOS"
#elif defined(__FreeBSD__)
#define ORVEX_BUILD_OS "FreeBSD"
#else
#define ORVEX_BUILD_OS "Unix"
#endif

// Clang also defines __GNUC__, so it is asked first.
#if defined(__clang__)
#define ORVEX_BUILD_COMPILER \
    "Clang " ORVEX_NUMBER_TEXT(__clang_major__) "." ORVEX_NUMBER_TEXT(__clang_minor__)
#elif defined(__GNUC__)
#define ORVEX_BUILD_COMPILER \
    "GCC " ORVEX_NUMBER_TEXT(__GNUC__) "." ORVEX_NUMBER_TEXT(__GNUC_MINOR__)
#elif defined(_MSC_VER)
#define ORVEX_BUILD_COMPILER "MSVC " ORVEX_NUMBER_TEXT(_MSC_VER)
#else
#define ORVEX_BUILD_COMPILER "C++17"
#endif

#if defined(FREEGLUT)
#define ORVEX_BUILD_BINDING "freeglut/OpenGL 1.1"
#else
#define ORVEX_BUILD_BINDING "GLUT/OpenGL 1.1"
#endif

constexpr const char kBuildPlatform[] = ORVEX_BUILD_OS ", " ORVEX_BUILD_COMPILER ", " ORVEX_BUILD_BINDING;
constexpr const char kCredit[] = "Orvex planet viewer by the Orvex developers";
constexpr const char kReference[] = "View: GLU sphere, GL 1.1 matrices";
constexpr const char kSecondReference[] = "    : events: freeglut callbacks, redraw on idle";

static_assert(sizeof kCredit - 1 <= 44, "credit line longer than its field");
static_assert(sizeof kBuildPlatform - 1 <= 38, "build-platform line longer than its field");
static_assert(sizeof kReference - 1 <= 34, "reference line longer than its field");
static_assert(sizeof kSecondReference - 1 <= 50, "second reference line longer than its field");

// --- where each text goes --------------------------------------------------------------------------

struct TextPlace {
    int row, col, length, colour;
    const char* fixedText;  // the whole text when it never changes, else nullptr
};

// Indexed by FullViewTextId; slot 0 unused.
const TextPlace kPlaces[kFullViewTextCount + 1] = {
    {0, 0, 0, 0, nullptr},
    // title and status lines
    {1, 1, 31, 15, nullptr},
    {2, 1, 44, 7, kCredit},
    {3, 1, 33, 15, "Set screen resolution to 1024x768"},
    {4, 1, 25, 14, "Press `H` or `h` for help"},
    {1, 83, 43, 12, "Caution: Use this program at your own risk."},
    {2, 86, 44, 15, nullptr},
    {3, 91, 23, 11, nullptr},
    {4, 98, 30, 11, nullptr},
    {5, 99, 15, 11, nullptr},
    {6, 97, 39, 1, "This program is not warranted"},
    {7, 100, 27, 1, "for any particular purpose."},
    {8, 103, 19, 8, nullptr},
    // the image list, rows 9 to 13
    {9, 106, 24, 15, nullptr},
    {10, 106, 24, 15, nullptr},
    {11, 106, 24, 15, nullptr},
    {12, 106, 24, 15, nullptr},
    {13, 106, 24, 15, nullptr},
    // the help screen
    {5, 1, 33, 15, " E -toggles eye: persp., L-R, R-L"},
    {6, 1, 26, 15, " G -toggles grid  presence"},
    {7, 1, 31, 14, " H -or Right Mouse Button (RMB)"},
    {8, 1, 26, 15, " I -toggles image presence"},
    {9, 1, 25, 15, " L -Lat&Lon export&import"},
    {10, 1, 26, 15, "   and changes screen size"},
    {11, 1, 23, 15, " P -toggles place names"},
    {12, 1, 8, 14, " Q -quit"},
    {13, 1, 23, 15, " R -toggles auto rotate"},
    {14, 1, 21, 15, "   (or LMB to cancel)"},
    {15, 1, 20, 15, " ^ -(arrowkeys):zoom"},
    {16, 1, 19, 10, " ~ -screen to *.Bmp"},
    {17, 1, 16, 15, nullptr},
    {56, 2, 38, 11, kBuildPlatform},
    {57, 2, 34, 11, kReference},
    {58, 2, 50, 11, kSecondReference},
    {58, 107, 21, 15, nullptr},
    {57, 107, 21, 7, nullptr},
    // eye labels
    {50, 37, 5, 13, nullptr},
    {50, 89, 5, 13, nullptr},
    // centre position
    {29, 117, 11, screen::overlayColour, nullptr},
    {30, 117, 11, screen::overlayColour, nullptr},
};

bool isHelpText(int id) { return id >= kHelpFirstText && id <= kIterationText; }

// Whether the state shows text `id` in this frame.
bool shown(int id, const model::State& s) {
    if (id >= kImageListText && id < kImageListText + model::kMaxImages) {
        return id - kImageListText + 1 <= s.imageCount;
    }
    if (isHelpText(id)) {
        if (s.helpShown != 1) return false;
        if (id == kBenchmarkText) return s.benchmarkElapsed <= 30.0f;
        return true;
    }
    if (id == kLeftEyeText || id == kRightEyeText) return s.eyeMode != 0;
    return true;
}

// The file name of image k, or blanks for an index outside the table.
const char* imageName(const model::State& s, int k) {
    return (k >= 1 && k <= s.imageCount) ? s.imageFiles[k].text : "                    ";
}

void formatBenchmark(const model::State& s, fields::TextLine& line) {
    line.str("Benchmark:");
    if (s.secondsPerFrame >= 0.2f) {
        line.f(s.secondsPerFrame, 6, 3).str(" sec.");
    } else if (s.secondsPerFrame > 0.0f) {
        const float rate = 1.0f / s.secondsPerFrame;
        line.f(rate, 8, 1).str(" Hz");
    } else {
        line.str("    --.-").str(" Hz");  // no period has closed yet: nothing measured
    }
}

// The text of a line whose content follows the state.
void formatVarying(int id, const model::State& s, fields::TextLine& line) {
    switch (id) {
        case kTitleText:
            line.chars(s.windowTitle.text, model::kNameLength).str(" 2004.11.05");
            return;
        case kSelectedImageText:
            line.str("User supplied image #").i(s.selectedImage, 1).str(": ");
            line.chars(imageName(s, s.selectedImage), model::kNameLength);
            return;
        case kRadiusText: {
            const int k = s.selectedImage;
            line.str("with radius=").f(k >= 1 && k <= s.imageCount ? s.radiiKm[k] : 0.0, 8, 0);
            line.str(" km");
            return;
        }
        case kElevationText:
            line.str("Elev=").f(s.elevationKm, 8, 0).str(" km above surface");
            return;
        case kFieldOfViewText:
            line.str("FOV=").f(s.fieldOfView, 10, 2).ch(kDegreeSign);
            return;
        case kGlErrorText:
            line.str("glGetError=").z(static_cast<std::uint32_t>(s.glErrorCode), 8);
            return;
        case kHelpImageCountText:
            line.str("1:").i(s.imageCount, 1).str("-orvex images");
            return;
        case kBenchmarkText:
            formatBenchmark(s, line);
            return;
        case kIterationText:
            line.str("Iteration:").i(s.iterationCount, 11);
            return;
        case kLeftEyeText:
            line.str(s.eyeMode > 0 ? "Left " : "Right");
            return;
        case kRightEyeText:
            line.str(s.eyeMode > 0 ? "Right" : "Left ");
            return;
        case kCentreLatitudeText:
            line.str("Lat=").f(s.centreLatitude, 6, 1).ch(kDegreeSign);
            return;
        case kCentreLongitudeText:
            line.str("Lon=").f(s.centreLongitude, 6, 1).ch(kDegreeSign);
            return;
        default:
            break;
    }
    if (id >= kImageListText && id < kImageListText + model::kMaxImages) {
        const int k = id - kImageListText + 1;
        line.ch('#').i(k, 1).str(": ").chars(imageName(s, k), model::kNameLength);
    }
}

}  // namespace

const char* buildPlatformLine() { return kBuildPlatform; }

bool formatFullViewText(int id, const model::State& s, screen::ScreenText& out) {
    if (id < 1 || id > kFullViewTextCount || !shown(id, s)) return false;
    const TextPlace& place = kPlaces[id];
    out.row = place.row;
    out.col = place.col;
    out.length = place.length;
    out.colour = place.colour;
    out.buffer.clear();
    if (place.fixedText != nullptr) {
        out.buffer.str(place.fixedText);
    } else {
        formatVarying(id, s, out.buffer);
    }
    out.buffer.padTo(screen::kTextBufferLength);
    return true;
}

void drawFullViewTexts() {
    screen::ScreenText text;
    for (int id = 1; id <= kFullViewTextCount; ++id) {
        if (formatFullViewText(id, model::state, text)) screen::drawScreenText(text);
    }
}

}  // namespace texts
