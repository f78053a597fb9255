// The libvips back end: shrink-on-load where the format has it, the picture streamed in strips,
// memory bounded whatever its size.
#include <vips/vips.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "backend.hpp"

namespace picture {

const char kFormatsRead[] = "JPEG, PNG, TIFF, WebP, GIF, BMP, ... anything libvips reads";
const char kBackendLimits[] = "";

namespace {

// The first line of libvips' error buffer, without the trailing line end.
std::string vipsReason() {
    std::string text = vips_error_buffer();
    vips_error_clear();
    const auto end = text.find('\n');
    if (end != std::string::npos) text.resize(end);
    return text.empty() ? "unknown libvips failure" : text;
}

void check(int status) {
    if (status != 0) throw Failure{vipsReason()};
}

// Decoder warnings (a corrupt JPEG segment, say) are kept once each; libvips' own summary lines
// ("read gave 2 warnings", "error in tile") are dropped.
std::vector<std::string> decoderNotes;
void keepDecoderNote(const gchar*, GLogLevelFlags, const gchar* message, gpointer) {
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (text.empty() || text.find("read gave") == 0 || text.find("error in tile") == 0) return;
    if (std::find(decoderNotes.begin(), decoderNotes.end(), text) == decoderNotes.end())
        decoderNotes.push_back(text);
}

void start(const char* program) {
    static bool started = false;
    if (started) return;
    if (VIPS_INIT(program)) throw Failure{"cannot start libvips"};
    vips_cache_set_max(0);  // one pass over each picture: nothing to reuse, and readers close early
    g_log_set_handler("VIPS", GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE), keepDecoderNote, nullptr);
    started = true;
}

struct ImageUnref {
    void operator()(VipsImage* image) const { g_object_unref(image); }
};
using Image = std::unique_ptr<VipsImage, ImageUnref>;

// The picture's first frame for one top-to-bottom pass; a truncated file is an error, not a
// picture with a grey bottom.
Image openSequential(const std::string& path) {
    VipsImage* image = vips_image_new_from_file(path.c_str(), "access", VIPS_ACCESS_SEQUENTIAL,
                                                "fail_on", VIPS_FAIL_ON_TRUNCATED, nullptr);
    if (!image) throw Failure{vipsReason()};
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

void showEval(VipsImage*, VipsProgress* state, void* sink) {
    (*static_cast<const ProgressSink*>(sink))(state->percent / 100.0, "reading");
}

// libvips hands strips to a C callback; this carries the sink to it.
int passStrip(VipsRegion* region, VipsRect* area, void* sink) {
    const Strip strip{reinterpret_cast<const std::uint8_t*>(VIPS_REGION_ADDR(region, area->left, area->top)),
                      size_t(VIPS_REGION_LSKIP(region)), area->top, area->height};
    (*static_cast<const StripSink*>(sink))(strip);
    return 0;
}

class VipsDecoder final : public Decoder {
public:
    explicit VipsDecoder(const std::string& path) : path_(path), original_(openSequential(path)) {}

    int width() const override { return original_->Xsize; }
    int height() const override { return original_->Ysize; }

    int scale(int width, int height) override {
        picture_ = scaled(width, height);
        if (picture_->Xsize != width || picture_->Ysize != height)
            throw Failure{"libvips scaled to " + std::to_string(picture_->Xsize) + " x " +
                          std::to_string(picture_->Ysize) + " instead of " + std::to_string(width) +
                          " x " + std::to_string(height)};
        return picture_->Bands;
    }

    std::vector<std::uint8_t> paletteSample(const ProgressSink& progress) override {
        const uint64_t pixels = uint64_t(picture_->Xsize) * uint64_t(picture_->Ysize);
        if (pixels <= kInMemoryPixels) {
            vips_image_set_progress(picture_.get(), TRUE);
            g_signal_connect(picture_.get(), "eval", G_CALLBACK(showEval), const_cast<ProgressSink*>(&progress));
            VipsImage* copy = vips_image_copy_memory(picture_.get());
            if (!copy) throw Failure{vipsReason()};
            picture_.reset(copy);
            return everyKthPixel(reinterpret_cast<const uint8_t*>(VIPS_IMAGE_ADDR(picture_.get(), 0, 0)), pixels);
        }
        const double factor = double(kReducedSide) / std::max(width(), height());
        const Image reduced = scaled(std::max(1, int(std::lround(width() * factor))),
                                     std::max(1, int(std::lround(height() * factor))));
        size_t bytes = 0;
        void* memory = vips_image_write_to_memory(reduced.get(), &bytes);
        if (!memory) throw Failure{vipsReason()};
        std::vector<uint8_t> sample(static_cast<uint8_t*>(memory), static_cast<uint8_t*>(memory) + bytes);
        g_free(memory);
        return sample;
    }

    void stream(const StripSink& sink) override {
        if (vips_sink_disc(picture_.get(), passStrip, const_cast<StripSink*>(&sink)) != 0) throw Failure{vipsReason()};
    }

    std::vector<std::string> close() override {
        picture_.reset(), original_.reset();  // the JPEG reader reports its warnings when it is closed
        return decoderNotes;
    }

private:
    // The picture scaled by one factor to width x height (shrink-on-load where the format has it),
    // or read at its own size when that is what is asked.
    Image scaled(int width, int height) const {
        if (width == original_->Xsize && height == original_->Ysize) return toDisplayBands(openSequential(path_));
        VipsImage* out = nullptr;
        check(vips_thumbnail(path_.c_str(), &out, width, "height", height, "size", VIPS_SIZE_FORCE,
                             "no_rotate", TRUE, "fail_on", VIPS_FAIL_ON_TRUNCATED, nullptr));
        return toDisplayBands(Image(out));
    }

    std::string path_;
    Image original_;
    Image picture_;
};

}  // namespace

std::unique_ptr<Decoder> openPicture(const std::string& path) {
    start("orvex-picture");
    return std::make_unique<VipsDecoder>(path);
}

}  // namespace picture
