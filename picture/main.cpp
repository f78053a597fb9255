// orvex-picture: turns a planet map in any picture format into a BMP the Orvex viewer reads, and
// adds (or updates) its name and radius in the Orvex.Txt of the folder the viewer runs in. The
// picture is decoded and scaled by the image back end (backend.hpp), Orvex.Txt is read with the
// viewer's own reader, and the BMP is kept within the sizes the viewer's reader takes.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "arguments.hpp"
#include "backend.hpp"
#include "bmpfile.hpp"
#include "glquery.hpp"
#include "image/bmpdecode.hpp"
#include "model/types.hpp"
#include "orvextxt.hpp"
#include "system.hpp"

namespace {

using picture::Failure;

constexpr const char* kProgram = "orvex-picture";
constexpr int kDefaultMaxTexture = 8192;  // used when the local GL cannot be asked
constexpr int kGlSeconds = 20;            // how long GL may take to answer

void usage() {
    std::printf(R"(Usage: %s [options] PICTURE RADIUS_KM [NAME.bmp]

Converts PICTURE (%s, of any size) into an
uncompressed, bottom-up BMP that the viewer reads, and adds it to Orvex.Txt, or updates its
radius when Orvex.Txt already lists NAME.bmp.

  PICTURE     the planet map, whole planet in latitude/longitude layout
              (longitude -180 at the left edge, north at the top; width = 2 x height)
  RADIUS_KM   the radius of the body in kilometres, from 1 to %lld
              (6371, 3389.5, 1.7374e3; a km suffix is allowed: 3389.5km)
  NAME.bmp    the BMP file to write, at most %d characters, not starting with '-'
              (default: PICTURE's name with the extension .bmp)

Options:
  -8, --palette      write an 8-bit palette BMP (256 colours) instead of 24-bit colour:
                     a grey map keeps its 256 grey levels, a colour map gets a median-cut
                     palette, without dithering
  --dither           with -8: spread each pixel's colour error onto its neighbours
                     (Floyd-Steinberg): smoother shades, noisier detail
  --fit-gl           scale the picture down to fit the largest texture the local OpenGL
                     accepts (asked on the display; %d when there is none)
  --max-size N       scale the picture down, by one factor, so that neither side exceeds N pixels
  --power-of-two     scale the picture down further so that its longer side is a power of two
                     (within --max-size or --fit-gl): the viewer puts a picture in the smallest
                     power-of-two texture that holds it, so a 2:1 map then fills its texture
                     and takes the least texture memory
  -C, --dir DIR      the folder the viewer runs in: the BMP is written there and
                     DIR/Orvex.Txt is updated (default: the current folder)
  -h, --help         show this text

Orvex.Txt is created when it is missing. Its other lines are kept as they are; the count on
its first line is raised when an image is added. It holds at most %d images.

A picture larger than the viewer reads (its texture would pass 2^31 bytes) is scaled down to
the largest size it reads, with a warning.

Pictures that take longer than a second show their progress when standard output is a terminal.

%sA picture dropped on the program in Explorer (Windows) arrives alone: the radius and the BMP
name are asked in the console, and the BMP and Orvex.Txt go beside the program unless -C
names another folder.

Exit status: 0 on success, 1 on an error, 2 on a usage mistake.
)",
                kProgram, picture::kFormatsRead, picture::radiusLimit(), model::kNameLength, kDefaultMaxTexture,
                model::kMaxImages, picture::kBackendLimits);
}

[[noreturn]] void usageFail(const std::string& message) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", kProgram, message.c_str(), kProgram);
    std::exit(2);
}
void warn(const std::string& message) { std::fprintf(stderr, "%s: warning: %s\n", kProgram, message.c_str()); }
void note(const std::string& message) {
    std::printf("%s: %s\n", kProgram, message.c_str());
    std::fflush(stdout);
}

// ---------------------------------------------------------------- what was asked

struct Request {
    bool palette = false, dither = false, powerOfTwo = false, fitGl = false;
    std::string maxSize;  // as given; "" = none
    std::string dir = ".";
    std::string picture, radius, name;
    std::string givenRadius;  // as typed, for the messages
};

bool startsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The picture's name without its folder and extension.
std::string stem(const std::string& path) {
    const std::string base = path.substr(path.find_last_of(picture::sys::kFolderEnds) + 1);
    return base.substr(0, base.rfind('.'));
}

// Waits for Enter before a console of the helper's own (Explorer's) closes with it.
void holdWindow() {
    std::fflush(stdout);
    std::fputs("Press Enter to close this window.\n", stderr);
    std::string line;
    std::getline(std::cin, line);
}

// A picture dropped on the program in Explorer: the radius and the BMP name are asked in the
// console, and the files go beside the program (where the viewer is) unless -C was given.
void askInConsole(Request& r, bool dirGiven) {
    std::atexit(holdWindow);
    std::printf("%s: %s\nRadius of the planet in km (6371 for the Earth): ", kProgram, r.picture.c_str());
    std::fflush(stdout);
    std::getline(std::cin, r.radius);
    const std::string base = stem(r.picture);
    const std::string offered = base.substr(0, std::size_t(model::kNameLength) - 4) + ".bmp";
    std::printf("Name of the BMP [%s]: ", offered.c_str());
    std::fflush(stdout);
    std::getline(std::cin, r.name);
    while (!r.radius.empty() && (r.radius.back() == '\r' || r.radius.back() == ' ')) r.radius.pop_back();
    while (!r.name.empty() && (r.name.back() == '\r' || r.name.back() == ' ')) r.name.pop_back();
    if (r.name.empty()) r.name = offered;
    r.givenRadius = r.radius;
    if (!dirGiven) r.dir = picture::sys::programFolder();
}

Request readArguments(int argc, char** argv) {
    Request r;
    bool dirGiven = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-8" || arg == "--palette") r.palette = true;
        else if (arg == "--dither") r.dither = true;
        else if (arg == "--power-of-two") r.powerOfTwo = true;
        else if (arg == "--fit-gl") r.fitGl = true;
        else if (arg == "--max-size") {
            if (i + 1 >= argc) usageFail("--max-size needs a number");
            r.maxSize = argv[++i];
        } else if (startsWith(arg, "--max-size=")) r.maxSize = arg.substr(11);
        else if (arg == "-C" || arg == "--dir") {
            if (i + 1 >= argc) usageFail(arg + " needs a folder");
            r.dir = argv[++i], dirGiven = true;
        } else if (startsWith(arg, "--dir=")) r.dir = arg.substr(6), dirGiven = true;
        else if (arg == "-h" || arg == "--help") usage(), std::exit(0);
        else if (arg == "--") args.insert(args.end(), argv + i + 1, argv + argc), i = argc;
        // A negative radius is refused below with its reason; so is a name where the name
        // stands that could pass for an option: a name starting with '-' is an error either way.
        else if (arg.size() > 1 && arg[0] == '-' && !std::strchr("0123456789.", arg[1]) && args.size() != 2)
            usageFail("unknown option: " + arg);
        else args.push_back(arg);
    }
    if (args.size() == 1 && picture::sys::ownConsole()) {
        r.picture = args[0];
        askInConsole(r, dirGiven);
        return r;
    }
    if (args.size() < 2 || args.size() > 3) usageFail("expected PICTURE RADIUS_KM [NAME.bmp]");
    r.picture = args[0];
    r.givenRadius = r.radius = args[1];
    if (args.size() == 3) {
        r.name = args[2];
    } else {
        r.name = stem(r.picture) + ".bmp";
    }
    return r;
}

// ---------------------------------------------------------------- sizes

struct Size {
    int width, height;
};

// The picture scaled by one factor so that its longer side is `longer`.
Size scaledTo(Size picture, int longer) {
    const int side = std::max(picture.width, picture.height);
    const double factor = double(longer) / side;
    Size out{std::max(1, int(std::lround(picture.width * factor))), std::max(1, int(std::lround(picture.height * factor)))};
    (picture.width == side ? out.width : out.height) = longer;
    return out;
}

// The output size: neither side above maxSide (0 = no limit); with powerOfTwo the longer side is
// further reduced to a power of two, so a 2:1 map fills its power-of-two texture.
Size outputSize(Size picture, int maxSide, bool powerOfTwo) {
    int target = std::max(picture.width, picture.height);
    if (maxSide > 0 && target > maxSide) target = maxSide;
    if (powerOfTwo) {
        int side = 1;
        while (side * 2 <= target) side *= 2;
        target = side;
    }
    return scaledTo(picture, target);
}

// Whether the viewer reads a BMP of this size on any machine: its reader's size checks and the
// bytes of the texture it puts the picture in.
bool viewerReads(Size size, int depth) {
    image::BmpHeader header;
    header.fields.width = size.width;
    header.fields.height = size.height;
    header.fields.bitsPerPixel = std::uint16_t(depth);
    image::BmpLayout layout;
    return image::bmpLayout(header, size.width, size.height, layout).fault == image::BmpFault::none &&
           image::textureFits(size.width, size.height);
}

// The longer side of the largest scaled picture the viewer reads (sizes grow with the side).
int largestReadSide(Size picture, int depth) {
    int low = 1, high = std::max(picture.width, picture.height);
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (viewerReads(scaledTo(picture, middle), depth)) low = middle;
        else high = middle - 1;
    }
    return low;
}

// ---------------------------------------------------------------- files

std::string temporaryBmp;           // removed unless the run gets as far as renaming it

void removeLeftovers() {
    if (!temporaryBmp.empty()) ::unlink(temporaryBmp.c_str());
    picture::dropGlQuery();
}

void onSignal(int number) {
    if (!temporaryBmp.empty()) ::unlink(temporaryBmp.c_str());
    signal(number, SIG_DFL);
    raise(number);
}

bool isFile(const std::string& path) {
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool readWhole(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    text = bytes.str();
    return !in.bad();
}

// The largest side the texture may have, asked from the display's OpenGL. The viewer puts the
// picture in the smallest power-of-two texture that holds it, so each side must stay within the
// largest power of two that GL accepts.
int glSideLimit() {
    std::string reason;
    int value = picture::glMaxTexture(kGlSeconds, reason);
    if (value <= 0) {
        warn("could not ask OpenGL for its largest texture (" + reason + "); assuming " + std::to_string(kDefaultMaxTexture));
        value = kDefaultMaxTexture;
    }
    int side = 1;
    while (side * 2 <= value) side *= 2;
    return side;
}

// A percentage on one updating line of standard output, when that is a terminal and the work has
// taken more than a second.
struct Progress {
    std::string label;  // "" = quiet
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    int shown = -1;

    void show(double fraction, const char* stage) {
        if (label.empty()) return;
        const int percent = static_cast<int>(fraction * 100.0);
        if (percent == shown || std::chrono::steady_clock::now() - start < std::chrono::seconds(1)) return;
        std::printf("\r%s: %s %3d%%", label.c_str(), stage, percent);
        std::fflush(stdout);
        shown = percent;
    }
    void end() {
        if (shown < 0) return;
        std::printf("\n");
        std::fflush(stdout);
        shown = -1;
    }
};

int run(Request& r) {
    r.radius = picture::radiusToWrite(r.givenRadius);
    picture::checkName(r.name);
    struct stat info;
    if (::stat(r.dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) throw Failure{"no such folder: " + r.dir};
    if (r.dither && !r.palette) usageFail("--dither works with -8 only");
    int maxSide = 0;
    if (!r.maxSize.empty()) {
        const bool digits = r.maxSize.size() <= 9 && r.maxSize.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || (maxSide = std::atoi(r.maxSize.c_str())) < 2)
            usageFail("--max-size needs a whole number of pixels, at least 2");
    }
    const std::string folder = r.dir == "." ? "" : r.dir + picture::sys::kFolderEnds[0];
    const std::string config = folder + "Orvex.Txt", target = folder + r.name;
    const int depth = r.palette ? 8 : 24;

    if (::stat(r.picture.c_str(), &info) != 0) throw Failure{"no such file: " + r.picture};
    if (!S_ISREG(info.st_mode) || ::access(r.picture.c_str(), R_OK) != 0) throw Failure{"cannot read " + r.picture};
    // GL is asked before the back end starts any thread; it answers meanwhile.
    if (r.fitGl && r.maxSize.empty()) picture::askGlMaxTexture();

    std::unique_ptr<picture::Decoder> decoder;
    try {
        decoder = picture::openPicture(r.picture);
    } catch (const Failure& failure) {
        throw Failure{"cannot read " + r.picture + " as a picture: " + failure.reason};
    }
    const Size size{decoder->width(), decoder->height()};
    if (size.width != 2 * size.height)
        warn(r.picture + " is " + std::to_string(size.width) + " x " + std::to_string(size.height) +
             "; a whole-planet map is twice as wide as it is high, so this one will look stretched on the sphere");

    // Orvex.Txt: read the way the viewer reads it, changed in memory, written last.
    std::string text;
    if (::access(config.c_str(), F_OK) == 0 && (!isFile(config) || !readWhole(config, text)))
        throw Failure{"cannot read " + config};
    const picture::OrvexTxtChange change = picture::changeOrvexTxt(text, r.name, r.radius, picture::sys::kNewLineEnd);
    if (!change.refusal.empty()) throw Failure{"cannot add " + r.name + " to " + config + ": " + change.refusal};

    int limit = 0;
    if (maxSide > 0) {
        limit = maxSide;
    } else if (r.fitGl) {
        limit = glSideLimit();
        note("largest texture OpenGL accepts: " + std::to_string(limit));
    } else if (!r.powerOfTwo && std::max(size.width, size.height) > kDefaultMaxTexture) {
        note("hint: a picture this large may exceed what your OpenGL accepts; --fit-gl scales it down");
    }
    Size out = outputSize(size, limit, r.powerOfTwo);
    if (!viewerReads(out, depth)) {
        const Size asked = out;
        out = outputSize(size, largestReadSide(size, depth), r.powerOfTwo);
        warn("a " + std::to_string(asked.width) + " x " + std::to_string(asked.height) +
             " BMP would be more than the viewer reads (its texture would pass 2^31 bytes); scaled down to " +
             std::to_string(out.width) + " x " + std::to_string(out.height) + ", the largest it reads");
    }

    std::string pattern = r.dir + picture::sys::kFolderEnds[0] + ".orvex-picture.XXXXXX";
    const int fd = picture::sys::makeTemporary(pattern);
    if (fd < 0) throw Failure{"cannot write in " + r.dir};
    temporaryBmp = pattern;
    Progress progress;
    if (picture::sys::outputIsTerminal()) progress.label = std::string(kProgram) + ": " + r.picture;
    const picture::ProgressSink showProgress = [&](double fraction, const char* stage) { progress.show(fraction, stage); };
    std::vector<std::string> notes;
    try {
        const int bands = decoder->scale(out.width, out.height);
        std::vector<std::uint8_t> sample;
        if (depth == 8 && bands == 3) sample = decoder->paletteSample(showProgress);
        picture::BmpWriter writer(fd, out.width, out.height, depth, bands, sample, r.dither);
        decoder->stream([&](const picture::Strip& strip) {
            writer.write(strip);
            progress.show(double(writer.rowsDone()) / out.height, "writing");
        });
        if (!picture::sys::closeFinished(fd))
            throw Failure{std::string("cannot write the BMP: ") + std::strerror(errno)};
        progress.end();
        notes = decoder->close();
    } catch (const Failure& failure) {
        progress.end();
        throw Failure{"cannot convert " + r.picture + ": " + failure.reason};
    }
    for (const std::string& line : notes) warn(r.picture + " may be damaged: " + line);

    if (!picture::sys::replaceFile(temporaryBmp, target)) throw Failure{"cannot write " + target};
    temporaryBmp.clear();
    note(r.picture + " (" + std::to_string(size.width) + " x " + std::to_string(size.height) + ") -> " + target + ", " +
         std::to_string(depth) + "-bit, " + std::to_string(out.width) + " x " + std::to_string(out.height));

    const std::string written = config + ".tmp." + std::to_string(picture::sys::processId());
    {
        std::ofstream file(written, std::ios::binary | std::ios::trunc);
        file << change.text;
        file.close();
        if (!file || !picture::sys::replaceFile(written, config)) {
            ::unlink(written.c_str());
            throw Failure{"cannot write " + config};
        }
    }
    const std::string which = config + ": image " + std::to_string(change.image) + " of " + std::to_string(change.images);
    if (change.added) note(which + " added: " + r.name + ", radius " + r.radius + " km (key " + std::to_string(change.image) + " in the viewer)");
    else note(which + " updated: " + r.name + ", radius " + r.radius + " km");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Request request = readArguments(argc, argv);
    picture::sys::onInterrupt(onSignal);
    try {
        return run(request);
    } catch (const Failure& failure) {
        removeLeftovers();
        std::fprintf(stderr, "%s: error: %s\n", kProgram, failure.reason.c_str());
        return 1;
    }
}
