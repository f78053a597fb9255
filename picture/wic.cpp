// The Windows Imaging Component back end: the picture's first frame read in bands of rows,
// converted to 8-bit colour or grey, and scaled by area averaging as the bands pass, so that the
// helper never holds the picture at its full size. The scaling is our own, not WIC's scaler: Wine's
// scaler picks the nearest pixel whatever mode is asked, and the result must not depend on where
// the helper runs.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "backend.hpp"

namespace picture {

const char kFormatsRead[] = "JPEG, PNG, TIFF, GIF, BMP, ... anything the Windows Imaging Component reads";
const char kBackendLimits[] =
    "The Windows Imaging Component reads WebP and HEIF only where their codecs are installed, and\n"
    "it does not report damage its decoders work around: a damaged picture is converted without\n"
    "the warning the Linux helper gives.\n\n";

namespace {

template <class T>
struct Com {
    T* p = nullptr;
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

// What a failed call of WIC means, in a few words, and its code.
std::string reason(HRESULT result) {
    const char* text = nullptr;
    switch (result) {
    case WINCODEC_ERR_COMPONENTNOTFOUND:
    case WINCODEC_ERR_UNKNOWNIMAGEFORMAT: text = "no decoder of the Windows Imaging Component reads this format"; break;
    case WINCODEC_ERR_BADHEADER: text = "a damaged header"; break;
    case WINCODEC_ERR_BADIMAGE:
    case WINCODEC_ERR_BADSTREAMDATA: text = "damaged picture data"; break;
    case WINCODEC_ERR_STREAMREAD:
    case WINCODEC_ERR_STREAMNOTAVAILABLE: text = "the file cannot be read to its end"; break;
    case WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT:
    case WINCODEC_ERR_UNSUPPORTEDOPERATION: text = "a pixel format the Windows Imaging Component cannot convert"; break;
    case E_OUTOFMEMORY: text = "out of memory"; break;
    case E_FAIL: text = "the decoder failed (a damaged or truncated file)"; break;
    default: text = "the Windows Imaging Component failed"; break;
    }
    char code[32];
    std::snprintf(code, sizeof code, " (WIC 0x%08lX)", static_cast<unsigned long>(result));
    return text + std::string(code);
}

void check(HRESULT result) {
    if (FAILED(result)) throw Failure{reason(result)};
}

// The source pixels under each output pixel of one axis, `source` long scaled to `output` (never
// longer), and their weights: the share of the output pixel's area each covers. In units of
// 1/output of a source pixel, output pixel i covers [i * source, (i + 1) * source).
struct Span {
    int first;
    std::vector<float> weights;
};
std::vector<Span> spans(int source, int output) {
    std::vector<Span> all(static_cast<size_t>(output));
    for (int64_t i = 0; i < output; ++i) {
        const int64_t from = i * source, to = from + source;
        Span& span = all[size_t(i)];
        span.first = int(from / output);
        for (int64_t j = span.first; j * output < to; ++j)
            span.weights.push_back(float(std::min(to, (j + 1) * output) - std::max(from, j * output)) / float(source));
    }
    return all;
}

class WicDecoder final : public Decoder {
public:
    explicit WicDecoder(const std::string& path) {
        static const bool started = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        if (!started) throw Failure{"cannot start COM"};
        check(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                               reinterpret_cast<void**>(&factory_)));
        std::wstring wide(path.size() + 1, L'\0');
        wide.resize(size_t(MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], int(wide.size()))));
        if (wide.empty()) throw Failure{"a file name Windows cannot spell"};
        check(factory_->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder_));
        check(decoder_->GetFrame(0, &frame_));
        UINT width = 0, height = 0;
        check(frame_->GetSize(&width, &height));
        if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) throw Failure{"a picture of no size"};
        width_ = int(width), height_ = int(height);

        // 8-bit grey and blue-green-red are read as they are; every other format is converted to
        // premultiplied blue, green, red, alpha, which flattens transparency onto black (the one
        // conversion Wine makes from every format it decodes).
        GUID format{};
        check(frame_->GetPixelFormat(&format));
        if (IsEqualGUID(format, GUID_WICPixelFormat8bppGray) || IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
            inBytes_ = IsEqualGUID(format, GUID_WICPixelFormat8bppGray) ? 1 : 3;
            source_ = frame_.p;
        } else {
            inBytes_ = 4;
            check(factory_->CreateFormatConverter(&converter_));
            check(converter_->Initialize(frame_.p, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                         WICBitmapPaletteTypeCustom));
            source_ = converter_.p;
        }
    }

    int width() const override { return width_; }
    int height() const override { return height_; }

    int scale(int width, int height) override {
        outWidth_ = width, outHeight_ = height;
        return inBytes_ == 1 ? 1 : 3;
    }

    std::vector<std::uint8_t> paletteSample(const ProgressSink& progress) override {
        const uint64_t pixels = uint64_t(outWidth_) * uint64_t(outHeight_);
        if (pixels <= kInMemoryPixels) {
            held_ = whole(outWidth_, outHeight_, progress);
            return everyKthPixel(held_.data(), pixels);
        }
        const double factor = double(kReducedSide) / std::max(width_, height_);
        return whole(std::max(1, int(std::lround(width_ * factor))), std::max(1, int(std::lround(height_ * factor))),
                     progress);
    }

    void stream(const StripSink& sink) override {
        if (held_.empty()) return pass(outWidth_, outHeight_, nullptr, sink);
        const int band = std::max(1, (4 << 20) / (outWidth_ * 3));
        for (int top = 0; top < outHeight_; top += band)
            sink(Strip{&held_[size_t(top) * outWidth_ * 3], size_t(outWidth_) * 3, top, std::min(band, outHeight_ - top)});
    }

    std::vector<std::string> close() override {
        held_.clear(), held_.shrink_to_fit();
        return {};
    }

private:
    // The picture scaled to width x height, in memory.
    std::vector<uint8_t> whole(int width, int height, const ProgressSink& progress) {
        std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 3);
        pass(width, height, progress, [&](const Strip& strip) {
            for (int y = 0; y < strip.count; ++y)
                std::memcpy(&pixels[(size_t(strip.top) + y) * width * 3], strip.rows + strip.stride * y, size_t(width) * 3);
        });
        return pixels;
    }

    // One pass over the picture, top to bottom, scaled to width x height by area averaging and
    // handed to `sink` in strips of red, green, blue (or grey) rows.
    void pass(int width, int height, const ProgressSink& progress, const StripSink& sink) {
        const int bands = inBytes_ == 1 ? 1 : 3;
        const size_t inStride = (size_t(width_) * inBytes_ + 3) / 4 * 4;
        const int bandRows = std::max(1, int((8u << 20) / inStride));
        std::vector<uint8_t> in(inStride * size_t(std::min(bandRows, height_)));
        const size_t outStride = size_t(width) * bands;
        const int outRows = std::max(1, int((4u << 20) / outStride));
        std::vector<uint8_t> out(outStride * size_t(std::min(outRows, height)));
        int outTop = 0, outCount = 0;  // the strip being filled

        // Output rows as sums of weighted source rows, in the source's channel order (blue,
        // green, red): a source row ends the row it completes and starts the next one.
        const std::vector<Span> across = spans(width_, width);
        std::vector<float> line(outStride), sum(outStride, 0.0f), next(outStride, 0.0f);
        int row = 0;
        for (int top = 0; top < height_; top += bandRows) {
            const int rows = std::min(bandRows, height_ - top);
            const WICRect area{0, top, width_, rows};
            check(source_->CopyPixels(&area, UINT(inStride), UINT(inStride * size_t(rows)), in.data()));
            for (int y = 0; y < rows; ++y) {
                const uint8_t* pixels = &in[inStride * size_t(y)];
                for (int x = 0; x < width; ++x) {
                    const Span& span = across[size_t(x)];
                    const uint8_t* pixel = pixels + size_t(span.first) * inBytes_;
                    float value[3] = {0, 0, 0};
                    for (const float weight : span.weights) {
                        for (int c = 0; c < bands; ++c) value[c] += weight * pixel[c];
                        pixel += inBytes_;
                    }
                    std::copy(value, value + bands, &line[size_t(x) * bands]);
                }
                const int64_t from = int64_t(top + y) * height, to = from + height, end = int64_t(row + 1) * height_;
                const float share = float(std::min(to, end) - from) / float(height_);
                for (size_t i = 0; i < outStride; ++i) sum[i] += share * line[i];
                if (to < end) continue;
                const float rest = float(to - end) / float(height_);
                for (size_t i = 0; i < outStride; ++i) next[i] += rest * line[i];
                uint8_t* bytes = &out[outStride * size_t(outCount)];
                for (size_t i = 0; i < outStride; i += bands)
                    for (int c = 0; c < bands; ++c) bytes[i + c] = uint8_t(std::lround(std::clamp(sum[i + bands - 1 - c], 0.0f, 255.0f)));
                sum.swap(next);
                std::fill(next.begin(), next.end(), 0.0f);
                ++row;
                if (++outCount == outRows || row == height) {
                    sink(Strip{out.data(), outStride, outTop, outCount});
                    outTop += outCount, outCount = 0;
                }
            }
            if (progress) progress(double(top + rows) / height_, "reading");
        }
    }

    Com<IWICImagingFactory> factory_;
    Com<IWICBitmapDecoder> decoder_;
    Com<IWICBitmapFrameDecode> frame_;
    Com<IWICFormatConverter> converter_;
    IWICBitmapSource* source_ = nullptr;  // the frame or its converter
    int width_ = 0, height_ = 0, inBytes_ = 3;
    int outWidth_ = 0, outHeight_ = 0;
    std::vector<uint8_t> held_;   // the scaled picture, when the palette sample holds it
};

}  // namespace

std::unique_ptr<Decoder> openPicture(const std::string& path) { return std::make_unique<WicDecoder>(path); }

}  // namespace picture
