// The browser back end: the page's own image decoder (createImageBitmap) reads the picture from
// the module's file store and scales it by one factor; a 2D canvas holds the scaled picture, and
// its rows are read back a strip at a time. The decoding is asynchronous, so the helper runs
// with Asyncify and waits for it where the desktop back ends read the file.
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "backend.hpp"

namespace picture {

const char kFormatsRead[] = "JPEG, PNG, WebP, GIF, BMP, ... anything the browser decodes";
const char kBackendLimits[] = "";

namespace {

// Keeps the file at `path` as Module.pictureBlob and writes the picture's width and height to
// size[0..1], read by an image element, which decodes no pixels until they are drawn; returns 0,
// or 1 when the browser cannot read it as a picture.
EM_ASYNC_JS(int, webOpenPicture, (const char* path, int* size), {
    Module.pictureBlob = new Blob([FS.readFile(UTF8ToString(path))]);
    const address = URL.createObjectURL(Module.pictureBlob);
    try {
        const image = new Image();
        image.src = address;
        await new Promise((loaded, failed) => { image.onload = loaded; image.onerror = failed; });
        HEAP32[size >> 2] = image.naturalWidth;
        HEAP32[(size >> 2) + 1] = image.naturalHeight;
        return image.naturalWidth > 0 && image.naturalHeight > 0 ? 0 : 1;
    } catch (error) {
        return 1;
    } finally {
        URL.revokeObjectURL(address);
    }
});

// Decodes the picture again scaled to width x height onto a black canvas (which flattens any
// transparency onto black); returns 0, or 1 when the browser cannot.
EM_ASYNC_JS(int, webScalePicture, (int width, int height), {
    try {
        const bitmap = await createImageBitmap(Module.pictureBlob,
            {resizeWidth: width, resizeHeight: height, resizeQuality: 'high'});
        const canvas = typeof OffscreenCanvas !== 'undefined' ? new OffscreenCanvas(width, height)
                                                               : Object.assign(document.createElement('canvas'), {width, height});
        const context = canvas.getContext('2d', {willReadFrequently: true});
        context.fillStyle = '#000';
        context.fillRect(0, 0, width, height);
        context.drawImage(bitmap, 0, 0);
        bitmap.close();
        Module.pictureCanvas = context;
        return 0;
    } catch (error) {
        return 1;
    }
});

// Copies `count` rows of the scaled picture from row `top` into `rgb`, 3 bytes a pixel.
EM_JS(void, webReadRows, (int top, int count, int width, unsigned char* rgb), {
    const rgba = Module.pictureCanvas.getImageData(0, top, width, count).data;
    const out = HEAPU8.subarray(rgb, rgb + 3 * width * count);
    for (let i = 0, o = 0; i < rgba.length; i += 4, o += 3) {
        out[o] = rgba[i];
        out[o + 1] = rgba[i + 1];
        out[o + 2] = rgba[i + 2];
    }
});

EM_JS(void, webDropPicture, (), {
    delete Module.pictureBlob;
    delete Module.pictureCanvas;
});

constexpr int kStripRows = 64;  // rows read back from the canvas at a time

class WebDecoder final : public Decoder {
public:
    explicit WebDecoder(const std::string& path) {
        int size[2] = {0, 0};
        if (webOpenPicture(path.c_str(), size) != 0) throw Failure{"the browser cannot decode it"};
        width_ = size[0], height_ = size[1];
    }
    ~WebDecoder() override { webDropPicture(); }

    int width() const override { return width_; }
    int height() const override { return height_; }

    int scale(int width, int height) override {
        if (webScalePicture(width, height) != 0)
            throw Failure{"the browser cannot scale it to " + std::to_string(width) + " x " + std::to_string(height)};
        scaledWidth_ = width, scaledHeight_ = height;
        return 3;
    }

    // Every k-th pixel of the scaled picture, as the other back ends take it, read strip by strip
    // from the canvas that holds it.
    std::vector<std::uint8_t> paletteSample(const ProgressSink& progress) override {
        const std::uint64_t pixels = std::uint64_t(scaledWidth_) * std::uint64_t(scaledHeight_);
        const std::uint64_t step = (pixels + kSamplePixels - 1) / kSamplePixels;
        std::vector<std::uint8_t> sample;
        std::uint64_t next = 0;
        forEachStrip([&](const Strip& strip) {
            const std::uint64_t first = std::uint64_t(strip.top) * std::uint64_t(scaledWidth_);
            const std::uint64_t end = first + std::uint64_t(strip.count) * std::uint64_t(scaledWidth_);
            for (; next < end; next += step) sample.insert(sample.end(), strip.rows + 3 * (next - first), strip.rows + 3 * (next - first) + 3);
            progress(double(strip.top + strip.count) / scaledHeight_, "reading");
        });
        return sample;
    }

    void stream(const StripSink& sink) override { forEachStrip(sink); }

    std::vector<std::string> close() override {
        webDropPicture();
        return {};
    }

private:
    void forEachStrip(const StripSink& sink) {
        std::vector<std::uint8_t> rows(std::size_t(3) * std::size_t(scaledWidth_) * kStripRows);
        for (int top = 0; top < scaledHeight_; top += kStripRows) {
            const int count = std::min(kStripRows, scaledHeight_ - top);
            webReadRows(top, count, scaledWidth_, rows.data());
            sink(Strip{rows.data(), std::size_t(3) * std::size_t(scaledWidth_), top, count});
        }
    }

    int width_ = 0, height_ = 0;              // as stored
    int scaledWidth_ = 0, scaledHeight_ = 0;  // as handed on
};

}  // namespace

std::unique_ptr<Decoder> openPicture(const std::string& path) { return std::make_unique<WebDecoder>(path); }

}  // namespace picture
