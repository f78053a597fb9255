// orvex-picture-convert: the work behind tools/orvex-picture. Decodes and scales a picture of any
// size with libvips (shrink-on-load, streamed in strips, bounded memory), writes the plain
// bottom-up, uncompressed 8- or 24-bit BMP the viewer reads, and asks OpenGL for its largest
// texture.
//
//   orvex-picture-convert info PICTURE                  prints "WIDTH HEIGHT"
//   orvex-picture-convert convert [--depth 8|24] [--max-side N] [--power-of-two] [--dither]
//                                 [--progress LABEL] PICTURE OUT.bmp
//   orvex-picture-convert gl-max-texture                prints the widest texture GL accepts
//
// A failure prints one line, the reason, on standard error and exits with status 1.
#include <vips/vips.h>

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// ------------------------------------------------------------------ failures and decoder notes

// Ends the run with one line on standard error.
[[noreturn]] void fail(const std::string& reason) {
    std::fprintf(stderr, "%s\n", reason.c_str());
    std::exit(1);
}

// The first line of libvips' error buffer, without the trailing line end.
std::string vipsReason() {
    std::string text = vips_error_buffer();
    vips_error_clear();
    const auto end = text.find('\n');
    if (end != std::string::npos) text.resize(end);
    return text.empty() ? "unknown libvips failure" : text;
}

// Ends the run with libvips' reason when a libvips call failed.
void check(int status) {
    if (status != 0) fail(vipsReason());
}

// Decoder warnings (a corrupt JPEG segment, say) are collected and printed once, as one line each,
// after the picture was read: the picture is still converted, but the user learns why it may look
// damaged. libvips' own summary lines ("read gave 2 warnings", "error in tile") are dropped.
std::vector<std::string> decoderNotes;
void keepDecoderNote(const gchar*, GLogLevelFlags, const gchar* message, gpointer) {
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (text.empty() || text.find("read gave") == 0 || text.find("error in tile") == 0) return;
    if (std::find(decoderNotes.begin(), decoderNotes.end(), text) == decoderNotes.end())
        decoderNotes.push_back(text);
}
void printDecoderNotes() {
    for (const auto& note : decoderNotes) std::fprintf(stderr, "decoder: %s\n", note.c_str());
}

// Owns one VipsImage reference.
struct ImageUnref {
    void operator()(VipsImage* image) const { g_object_unref(image); }
};
using Image = std::unique_ptr<VipsImage, ImageUnref>;

// ------------------------------------------------------------------ progress

// A percentage on one updating line of standard output, shown only when that is a terminal and
// only once the work has taken more than a second.
struct Progress {
    std::string label;                                   // printed before the percentage; "" = quiet
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    int shown = -1;                                      // last percentage printed, -1 = none yet
};
Progress progress;

void showProgress(double fraction, const char* stage) {
    if (progress.label.empty()) return;
    const int percent = static_cast<int>(fraction * 100.0);
    if (percent == progress.shown) return;
    if (std::chrono::steady_clock::now() - progress.start < std::chrono::seconds(1)) return;
    std::printf("\r%s: %s %3d%%", progress.label.c_str(), stage, percent);
    std::fflush(stdout);
    progress.shown = percent;
}
void showEval(VipsImage*, VipsProgress* state, void* stage) {
    showProgress(state->percent / 100.0, static_cast<const char*>(stage));
}
void endProgress() {
    if (progress.shown < 0) return;
    std::printf("\n");
    std::fflush(stdout);
}

// ------------------------------------------------------------------ reading and scaling

// Opens the picture's first frame for one top-to-bottom pass; a truncated file is an error, not a
// picture with a grey bottom.
Image openPicture(const std::string& path) {
    VipsImage* image = vips_image_new_from_file(path.c_str(), "access", VIPS_ACCESS_SEQUENTIAL,
                                                "fail_on", VIPS_FAIL_ON_TRUNCATED, nullptr);
    if (!image) fail(vipsReason());
    return Image(image);
}

// The picture as 8-bit sRGB (3 bands) or grey (1 band), transparency flattened onto black.
Image toDisplayBands(Image in) {
    VipsImage* out = nullptr;
    if (vips_image_hasalpha(in.get())) {
        VipsArrayDouble* black = vips_array_double_newv(1, 0.0);
        const int status = vips_flatten(in.get(), &out, "background", black, nullptr);
        vips_area_unref(VIPS_AREA(black));
        check(status);
        in.reset(out);
    }
    const VipsInterpretation kind = vips_image_guess_interpretation(in.get());
    const bool grey = in->Bands == 1 || kind == VIPS_INTERPRETATION_B_W ||
                      kind == VIPS_INTERPRETATION_GREY16;
    check(vips_colourspace(in.get(), &out, grey ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB,
                           nullptr));
    in.reset(out);
    const int bands = grey ? 1 : 3;
    if (in->Bands > bands) {
        check(vips_extract_band(in.get(), &out, 0, "n", bands, nullptr));
        in.reset(out);
    }
    if (in->BandFmt != VIPS_FORMAT_UCHAR) {
        check(vips_cast_uchar(in.get(), &out, nullptr));
        in.reset(out);
    }
    return in;
}

// The picture scaled by one factor to width x height (shrink-on-load where the format has it),
// or read at its own size when that is what is asked.
Image scaledPicture(const std::string& path, int width, int height, const Image& original) {
    if (width == original->Xsize && height == original->Ysize) return toDisplayBands(openPicture(path));
    VipsImage* out = nullptr;
    check(vips_thumbnail(path.c_str(), &out, width, "height", height, "size", VIPS_SIZE_FORCE,
                         "no_rotate", TRUE, "fail_on", VIPS_FAIL_ON_TRUNCATED, nullptr));
    return toDisplayBands(Image(out));
}

// The output size: one factor for both sides so that neither exceeds maxSide (0 = no limit); with
// powerOfTwo the longer side is further reduced to a power of two, so a 2:1 map fills its
// power-of-two texture with no unused margin.
void outputSize(int width, int height, int maxSide, bool powerOfTwo, int& outWidth, int& outHeight) {
    const int longer = std::max(width, height);
    int target = longer;
    if (maxSide > 0 && target > maxSide) target = maxSide;
    if (powerOfTwo) {
        int side = 1;
        while (side * 2 <= target) side *= 2;
        target = side;
    }
    const double factor = static_cast<double>(target) / longer;
    outWidth = std::max(1, static_cast<int>(std::lround(width * factor)));
    outHeight = std::max(1, static_cast<int>(std::lround(height * factor)));
    if (width == longer) outWidth = target;
    else outHeight = target;
}

// ------------------------------------------------------------------ palette

// One colour of a picture and how many pixels have it.
struct Colour {
    uint8_t channel[3];  // red, green, blue
    uint32_t count;
};

// Distinct colours, with counts, of a packed 3-band picture.
std::vector<Colour> distinctColours(const uint8_t* pixels, size_t count) {
    std::vector<uint32_t> packed(count);
    for (size_t i = 0; i < count; ++i)
        packed[i] = uint32_t(pixels[3 * i]) << 16 | uint32_t(pixels[3 * i + 1]) << 8 | pixels[3 * i + 2];
    std::sort(packed.begin(), packed.end());
    std::vector<Colour> colours;
    for (size_t i = 0; i < count;) {
        size_t j = i;
        while (j < count && packed[j] == packed[i]) ++j;
        colours.push_back({{uint8_t(packed[i] >> 16), uint8_t(packed[i] >> 8), uint8_t(packed[i])},
                           uint32_t(j - i)});
        i = j;
    }
    return colours;
}

// Median cut: boxes of colours are split at the pixel median of their longest side, the box with
// the largest pixel count times squared extent first, until there are `size` boxes; each box gives
// the pixel-weighted mean of its colours. A picture with at most `size` colours keeps them exactly.
std::vector<Colour> medianCut(std::vector<Colour> colours, size_t size) {
    if (colours.size() <= size) return colours;
    struct Box {
        size_t begin, end;  // colours[begin, end)
        uint64_t pixels;
        int axis, extent;   // longest side and its length
    };
    auto measure = [&](size_t begin, size_t end) {
        Box box{begin, end, 0, 0, -1};
        int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
        for (size_t i = begin; i < end; ++i) {
            box.pixels += colours[i].count;
            for (int c = 0; c < 3; ++c) {
                low[c] = std::min<int>(low[c], colours[i].channel[c]);
                high[c] = std::max<int>(high[c], colours[i].channel[c]);
            }
        }
        for (int c = 0; c < 3; ++c)
            if (high[c] - low[c] > box.extent) box.extent = high[c] - low[c], box.axis = c;
        return box;
    };
    std::vector<Box> boxes{measure(0, colours.size())};
    while (boxes.size() < size) {
        size_t pick = boxes.size();
        double best = 0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            const double score = double(boxes[b].pixels) * boxes[b].extent * boxes[b].extent;
            if (boxes[b].end - boxes[b].begin > 1 && score > best) best = score, pick = b;
        }
        if (pick == boxes.size()) break;
        const Box box = boxes[pick];
        std::sort(colours.begin() + box.begin, colours.begin() + box.end,
                  [axis = box.axis](const Colour& a, const Colour& b) { return a.channel[axis] < b.channel[axis]; });
        size_t split = box.begin + 1;
        uint64_t below = colours[box.begin].count;
        while (split < box.end - 1 && below + colours[split].count <= box.pixels / 2)
            below += colours[split++].count;
        boxes[pick] = measure(box.begin, split);
        boxes.push_back(measure(split, box.end));
    }
    std::vector<Colour> palette;
    for (const Box& box : boxes) {
        double sum[3] = {0, 0, 0};
        for (size_t i = box.begin; i < box.end; ++i)
            for (int c = 0; c < 3; ++c) sum[c] += double(colours[i].channel[c]) * colours[i].count;
        Colour mean{{0, 0, 0}, uint32_t(std::min<uint64_t>(box.pixels, UINT32_MAX))};
        for (int c = 0; c < 3; ++c) mean.channel[c] = uint8_t(std::lround(sum[c] / box.pixels));
        palette.push_back(mean);
    }
    return palette;
}

// Nearest palette entry of every colour met, found once per colour and kept in a table of all
// 2^24 colours (filled lazily; only the pages of colours met are ever touched).
struct ColourMap {
    std::vector<Colour> palette;         // sorted by green, for the search below
    std::vector<uint8_t> indexOf;        // palette position -> index written to the BMP
    std::unique_ptr<uint16_t, decltype(&std::free)> known{nullptr, &std::free};  // 0 = not yet, else index + 1

    explicit ColourMap(std::vector<Colour> colours) : palette(std::move(colours)) {
        std::vector<size_t> order(palette.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::sort(order.begin(), order.end(),
                  [&](size_t a, size_t b) { return palette[a].channel[1] < palette[b].channel[1]; });
        std::vector<Colour> sorted;
        for (size_t i : order) sorted.push_back(palette[i]), indexOf.push_back(uint8_t(i));
        palette = sorted;
        known.reset(static_cast<uint16_t*>(std::calloc(size_t(1) << 24, sizeof(uint16_t))));
        if (!known) fail("out of memory for the colour table");
    }

    // Palette index of the colour nearest to (r, g, b).
    uint8_t operator()(int r, int g, int b) {
        uint16_t& slot = known.get()[r << 16 | g << 8 | b];
        if (slot) return uint8_t(slot - 1);
        // Start at the first entry of green >= g and widen both ways while green alone cannot lose.
        size_t up = std::lower_bound(palette.begin(), palette.end(), g,
                                     [](const Colour& c, int value) { return c.channel[1] < value; }) -
                    palette.begin();
        size_t down = up;
        int best = INT32_MAX;
        size_t bestAt = 0;
        auto consider = [&](size_t i) {
            const int dr = palette[i].channel[0] - r, dg = palette[i].channel[1] - g,
                      db = palette[i].channel[2] - b;
            const int d = dr * dr + dg * dg + db * db;
            if (d < best) best = d, bestAt = i;
            return dg * dg;
        };
        bool goUp = up < palette.size(), goDown = down > 0;
        while (goUp || goDown) {
            if (goUp) goUp = consider(up) < best && ++up < palette.size();
            if (goDown) goDown = consider(--down) < best && down > 0;
        }
        slot = uint16_t(indexOf[bestAt] + 1);
        return indexOf[bestAt];
    }
};

// ------------------------------------------------------------------ BMP writing

void put16(uint8_t* at, uint32_t value) { at[0] = uint8_t(value), at[1] = uint8_t(value >> 8); }
void put32(uint8_t* at, uint32_t value) { put16(at, value), put16(at + 2, value >> 16); }

// What the strip writer needs while libvips hands it the picture top to bottom.
struct BmpWriter {
    int fd = -1;
    int width = 0, height = 0, depth = 24;  // output size and bits per pixel
    uint64_t stride = 0;                    // bytes of one stored row, padded to 4
    uint64_t pixelsAt = 0;                  // file offset of the bottom row
    ColourMap* map = nullptr;               // 8-bit colour pictures: palette lookup
    uint8_t palette[256][3] = {};           // 8-bit: red, green, blue of each index
    bool greyByLuminance = false;           // 8-bit grey palette from colour pixels
    bool dither = false;                    // Floyd-Steinberg error diffusion (8-bit colour)
    std::vector<int> error, nextError;      // diffused error per pixel and channel, this and next row
    std::vector<uint8_t> rows;              // one strip, in file order
    int done = 0;                           // rows written so far
};

// The 54-byte header (and for 8 bits the 256-entry palette) of a bottom-up, uncompressed BMP.
std::vector<uint8_t> bmpHeader(int width, int height, int depth, const uint8_t (*palette)[3]) {
    const uint64_t stride = (uint64_t(width) * (depth / 8) + 3) / 4 * 4;
    const uint32_t offset = depth == 8 ? 54 + 1024 : 54;
    const uint64_t size = offset + stride * uint64_t(height);
    std::vector<uint8_t> header(offset, 0);
    header[0] = 'B', header[1] = 'M';
    put32(&header[2], size > UINT32_MAX ? 0 : uint32_t(size));
    put32(&header[10], offset);
    put32(&header[14], 40);
    put32(&header[18], uint32_t(width));
    put32(&header[22], uint32_t(height));
    put16(&header[26], 1);
    put16(&header[28], uint32_t(depth));
    put32(&header[34], stride * height > UINT32_MAX ? 0 : uint32_t(stride * height));
    put32(&header[38], 2835), put32(&header[42], 2835);  // 72 dots per inch
    if (depth == 8) {
        put32(&header[46], 256), put32(&header[50], 256);
        for (int i = 0; i < 256; ++i)
            for (int c = 0; c < 3; ++c) header[54 + 4 * i + c] = palette[i][2 - c];  // blue, green, red
    }
    return header;
}

void writeAll(int fd, const uint8_t* bytes, size_t count, uint64_t offset) {
    while (count > 0) {
        const ssize_t n = pwrite(fd, bytes, count, off_t(offset));
        if (n <= 0) fail(std::string("cannot write the BMP: ") + std::strerror(errno));
        bytes += n, count -= size_t(n), offset += uint64_t(n);
    }
}

// One strip of rows from libvips: converted and written where those rows go in the bottom-up file.
int writeStrip(VipsRegion* region, VipsRect* area, void* data) {
    BmpWriter& out = *static_cast<BmpWriter*>(data);
    const int bands = region->im->Bands;
    out.rows.assign(out.stride * uint64_t(area->height), 0);
    for (int y = 0; y < area->height; ++y) {
        const uint8_t* in = reinterpret_cast<const uint8_t*>(VIPS_REGION_ADDR(region, area->left, area->top + y));
        uint8_t* row = &out.rows[out.stride * uint64_t(area->height - 1 - y)];  // file order is bottom-up
        if (out.depth == 24) {
            for (int x = 0; x < out.width; ++x, row += 3, in += bands) {
                row[0] = in[bands == 3 ? 2 : 0], row[1] = in[bands == 3 ? 1 : 0], row[2] = in[0];
            }
        } else if (bands == 1) {
            std::memcpy(row, in, size_t(out.width));
        } else if (out.greyByLuminance) {
            for (int x = 0; x < out.width; ++x, in += 3)
                row[x] = uint8_t((in[0] * 299 + in[1] * 587 + in[2] * 114 + 500) / 1000);
        } else if (!out.dither) {
            for (int x = 0; x < out.width; ++x, in += 3) row[x] = (*out.map)(in[0], in[1], in[2]);
        } else {
            std::fill(out.nextError.begin(), out.nextError.end(), 0);
            for (int x = 0; x < out.width; ++x, in += 3) {
                int want[3];
                for (int c = 0; c < 3; ++c) want[c] = std::clamp(in[c] + out.error[3 * (x + 1) + c] / 16, 0, 255);
                const uint8_t index = (*out.map)(want[0], want[1], want[2]);
                row[x] = index;
                for (int c = 0; c < 3; ++c) {
                    const int e = want[c] - out.palette[index][c];
                    out.error[3 * (x + 2) + c] += 7 * e;
                    out.nextError[3 * x + c] += 3 * e;
                    out.nextError[3 * (x + 1) + c] += 5 * e;
                    out.nextError[3 * (x + 2) + c] += e;
                }
            }
            std::swap(out.error, out.nextError);
        }
    }
    const uint64_t lowestRow = uint64_t(out.height - area->top - area->height);
    writeAll(out.fd, out.rows.data(), out.rows.size(), out.pixelsAt + lowestRow * out.stride);
    out.done += area->height;
    showProgress(double(out.done) / out.height, "writing");
    return 0;
}

// The colours, with counts, from which the palette is chosen. A picture of up to kInMemoryPixels
// is read into memory once (so it is not decoded twice): every pixel of it counts, or every k-th
// when there are more than kSamplePixels. A larger picture is sampled through a quick reduced copy
// read separately, which still holds every colour region of the picture.
constexpr uint64_t kInMemoryPixels = uint64_t(8192) * 8192;
constexpr uint64_t kSamplePixels = uint64_t(4) << 20;
std::vector<Colour> paletteSample(const std::string& path, Image& picture, const Image& original) {
    const uint64_t pixels = uint64_t(picture->Xsize) * uint64_t(picture->Ysize);
    if (pixels <= kInMemoryPixels) {
        vips_image_set_progress(picture.get(), TRUE);
        g_signal_connect(picture.get(), "eval", G_CALLBACK(showEval), const_cast<char*>("reading"));
        VipsImage* copy = vips_image_copy_memory(picture.get());
        if (!copy) fail(vipsReason());
        picture.reset(copy);
        const uint8_t* data = reinterpret_cast<const uint8_t*>(VIPS_IMAGE_ADDR(picture.get(), 0, 0));
        const uint64_t step = (pixels + kSamplePixels - 1) / kSamplePixels;
        std::vector<uint8_t> sample;
        sample.reserve(size_t(3 * (pixels / step + 1)));
        for (uint64_t i = 0; i < pixels; i += step) sample.insert(sample.end(), data + 3 * i, data + 3 * i + 3);
        return distinctColours(sample.data(), sample.size() / 3);
    }
    int width = 0, height = 0;
    outputSize(original->Xsize, original->Ysize, 2048, false, width, height);
    const Image reduced = scaledPicture(path, width, height, original);
    size_t bytes = 0;
    void* memory = vips_image_write_to_memory(reduced.get(), &bytes);
    if (!memory) fail(vipsReason());
    std::vector<Colour> colours = distinctColours(static_cast<uint8_t*>(memory), bytes / 3);
    g_free(memory);
    return colours;
}

// ------------------------------------------------------------------ the commands

int info(const std::string& path) {
    const Image picture = openPicture(path);
    std::printf("%d %d\n", picture->Xsize, picture->Ysize);
    return 0;
}

int convert(int argc, char** argv) {
    int depth = 24, maxSide = 0;
    bool powerOfTwo = false, dither = false;
    std::vector<std::string> names;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") names.insert(names.end(), argv + i + 1, argv + argc), i = argc;
        else if (arg == "--depth" && i + 1 < argc) depth = std::atoi(argv[++i]);
        else if (arg == "--max-side" && i + 1 < argc) maxSide = std::atoi(argv[++i]);
        else if (arg == "--progress" && i + 1 < argc) progress.label = argv[++i];
        else if (arg == "--power-of-two") powerOfTwo = true;
        else if (arg == "--dither") dither = true;
        else names.push_back(arg);
    }
    if (names.size() != 2 || (depth != 8 && depth != 24) || maxSide < 0) fail("usage: convert [options] PICTURE OUT.bmp");
    const std::string& path = names[0];
    if (!isatty(STDOUT_FILENO)) progress.label.clear();

    Image original = openPicture(path);
    int width = 0, height = 0;
    outputSize(original->Xsize, original->Ysize, maxSide, powerOfTwo, width, height);
    Image picture = scaledPicture(path, width, height, original);
    if (picture->Xsize != width || picture->Ysize != height)
        fail("libvips scaled to " + std::to_string(picture->Xsize) + " x " + std::to_string(picture->Ysize) +
             " instead of " + std::to_string(width) + " x " + std::to_string(height));

    BmpWriter out;
    out.width = width, out.height = height, out.depth = depth, out.dither = dither;
    out.stride = (uint64_t(width) * (depth / 8) + 3) / 4 * 4;
    auto& palette = out.palette;
    std::unique_ptr<ColourMap> map;
    if (depth == 8) {
        bool grey = picture->Bands == 1;
        if (!grey) {
            std::vector<Colour> colours = paletteSample(path, picture, original);
            grey = std::all_of(colours.begin(), colours.end(), [](const Colour& c) {
                return c.channel[0] == c.channel[1] && c.channel[1] == c.channel[2];
            });
            if (!grey) {
                map = std::make_unique<ColourMap>(medianCut(std::move(colours), 256));
                for (size_t i = 0; i < map->palette.size(); ++i)
                    std::memcpy(palette[map->indexOf[i]], map->palette[i].channel, 3);
                out.map = map.get();
                out.error.assign(3 * (size_t(width) + 2), 0);
                out.nextError.assign(3 * (size_t(width) + 2), 0);
            }
            out.greyByLuminance = grey;
        }
        if (grey)
            for (int i = 0; i < 256; ++i) palette[i][0] = palette[i][1] = palette[i][2] = uint8_t(i);
    }

    const std::vector<uint8_t> header = bmpHeader(width, height, depth, palette);
    out.pixelsAt = header.size();
    out.fd = open(names[1].c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out.fd < 0) fail("cannot write " + names[1] + ": " + std::strerror(errno));
    writeAll(out.fd, header.data(), header.size(), 0);
    if (ftruncate(out.fd, off_t(out.pixelsAt + out.stride * uint64_t(height))) != 0)
        fail(std::string("cannot write the BMP: ") + std::strerror(errno));
    if (vips_sink_disc(picture.get(), writeStrip, &out) != 0) {
        endProgress();
        fail(vipsReason());
    }
    if (close(out.fd) != 0) fail(std::string("cannot write the BMP: ") + std::strerror(errno));
    endProgress();
    picture.reset(), original.reset();  // the JPEG reader reports its warnings when it is closed
    printDecoderNotes();
    return 0;
}

// The widest 2:1 texture the display's OpenGL accepts, from a context on a small unmapped window.
int glMaxTexture() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) fail("no display to ask");
    int attributes[] = {GLX_RGBA, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, None};
    XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes);
    if (!visual) fail("the display offers no OpenGL visual");
    const Window root = RootWindow(display, visual->screen);
    XSetWindowAttributes settings{};
    settings.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    const Window window = XCreateWindow(display, root, 0, 0, 16, 16, 0, visual->depth, InputOutput,
                                        visual->visual, CWColormap, &settings);
    GLXContext context = glXCreateContext(display, visual, nullptr, True);
    if (!context || !glXMakeCurrent(display, window, context)) fail("cannot make an OpenGL context");
    // The largest side the GL names, then halved until a 2:1 RGB texture of that width passes the
    // proxy test (the viewer asks for RGB; a driver may refuse the largest size for its memory).
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    for (; size >= 2; size /= 2) {
        GLint accepted = 0;
        glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 3, size, size / 2, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &accepted);
        if (accepted == size) break;
    }
    glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, context);
    XDestroyWindow(display, window);
    XFree(visual);
    XCloseDisplay(display);
    if (size <= 0) fail("OpenGL gave no texture size");
    std::printf("%d\n", size);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "gl-max-texture") return glMaxTexture();
    if (VIPS_INIT(argv[0])) fail("cannot start libvips");
    vips_cache_set_max(0);  // one pass over each picture: nothing to reuse, and readers close early
    g_log_set_handler("VIPS", GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE), keepDecoderNote, nullptr);
    if (argc == 3 && std::string(argv[1]) == "info") return info(argv[2]);
    if (argc >= 2 && std::string(argv[1]) == "convert") return convert(argc - 2, argv + 2);
    fail("usage: orvex-picture-convert info|convert|gl-max-texture ...");
}
