#include "bmpfile.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "system.hpp"

namespace picture {

namespace {

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

}  // namespace

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
        if (!known) throw Failure{"out of memory for the colour table"};
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

namespace {

void put16(uint8_t* at, uint32_t value) { at[0] = uint8_t(value), at[1] = uint8_t(value >> 8); }
void put32(uint8_t* at, uint32_t value) { put16(at, value), put16(at + 2, value >> 16); }

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
    if (!sys::writeAt(fd, bytes, count, offset)) throw Failure{std::string("cannot write the BMP: ") + std::strerror(errno)};
}

}  // namespace

BmpWriter::BmpWriter(int fd, int width, int height, int depth, int bands, const std::vector<uint8_t>& sample,
                     bool dither)
    : fd_(fd), width_(width), height_(height), depth_(depth), bands_(bands), dither_(dither) {
    stride_ = (uint64_t(width) * (depth / 8) + 3) / 4 * 4;
    if (depth == 8) {
        bool grey = bands == 1;
        if (!grey) {
            std::vector<Colour> colours = distinctColours(sample.data(), sample.size() / 3);
            grey = std::all_of(colours.begin(), colours.end(), [](const Colour& c) {
                return c.channel[0] == c.channel[1] && c.channel[1] == c.channel[2];
            });
            if (!grey) {
                map_ = std::make_unique<ColourMap>(medianCut(std::move(colours), 256));
                for (size_t i = 0; i < map_->palette.size(); ++i)
                    std::memcpy(palette_[map_->indexOf[i]], map_->palette[i].channel, 3);
                error_.assign(3 * (size_t(width) + 2), 0);
                nextError_.assign(3 * (size_t(width) + 2), 0);
            }
            greyByLuminance_ = grey;
        }
        if (grey)
            for (int i = 0; i < 256; ++i) palette_[i][0] = palette_[i][1] = palette_[i][2] = uint8_t(i);
    }
    const std::vector<uint8_t> header = bmpHeader(width, height, depth, palette_);
    pixelsAt_ = header.size();
    writeAll(fd_, header.data(), header.size(), 0);
    if (!sys::setLength(fd_, pixelsAt_ + stride_ * uint64_t(height)))
        throw Failure{std::string("cannot write the BMP: ") + std::strerror(errno)};
}

BmpWriter::~BmpWriter() = default;

void BmpWriter::write(const Strip& strip) {
    rows_.assign(stride_ * uint64_t(strip.count), 0);
    for (int y = 0; y < strip.count; ++y) {
        const uint8_t* in = strip.rows + strip.stride * size_t(y);
        uint8_t* row = &rows_[stride_ * uint64_t(strip.count - 1 - y)];  // file order is bottom-up
        if (depth_ == 24) {
            for (int x = 0; x < width_; ++x, row += 3, in += bands_) {
                row[0] = in[bands_ == 3 ? 2 : 0], row[1] = in[bands_ == 3 ? 1 : 0], row[2] = in[0];
            }
        } else if (bands_ == 1) {
            std::memcpy(row, in, size_t(width_));
        } else if (greyByLuminance_) {
            for (int x = 0; x < width_; ++x, in += 3)
                row[x] = uint8_t((in[0] * 299 + in[1] * 587 + in[2] * 114 + 500) / 1000);
        } else if (!dither_) {
            for (int x = 0; x < width_; ++x, in += 3) row[x] = (*map_)(in[0], in[1], in[2]);
        } else {
            std::fill(nextError_.begin(), nextError_.end(), 0);
            for (int x = 0; x < width_; ++x, in += 3) {
                int want[3];
                for (int c = 0; c < 3; ++c) want[c] = std::clamp(in[c] + error_[3 * (x + 1) + c] / 16, 0, 255);
                const uint8_t index = (*map_)(want[0], want[1], want[2]);
                row[x] = index;
                for (int c = 0; c < 3; ++c) {
                    const int e = want[c] - palette_[index][c];
                    error_[3 * (x + 2) + c] += 7 * e;
                    nextError_[3 * x + c] += 3 * e;
                    nextError_[3 * (x + 1) + c] += 5 * e;
                    nextError_[3 * (x + 2) + c] += e;
                }
            }
            std::swap(error_, nextError_);
        }
    }
    const uint64_t lowestRow = uint64_t(height_ - strip.top - strip.count);
    writeAll(fd_, rows_.data(), rows_.size(), pixelsAt_ + lowestRow * stride_);
    done_ += strip.count;
}

}  // namespace picture
