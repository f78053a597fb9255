// Import benchmark: readBmpPixels on 8192 x 4096 pictures (24-bit and 8-bit) against the least work
// on the same input, reading the whole file into a fresh buffer, and against stb_image decoding
// the same file to RGB; then an 8-bit run-length file against its uncompressed twin. Every run happens in a forked child so that each starts with fresh memory
// and its peak resident size can be read apart.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <stb/stb_image.h>

#include "image/bmp.hpp"
#include "platform/memory.hpp"
#include "../tests/support/bmp_writer.hpp"

namespace {

constexpr int kWidth = 8192;
constexpr int kHeight = 4096;
constexpr int kRuns = 9;

long long fileSize(const char* name) {
    std::FILE* f = std::fopen(name, "rb");
    if (!f) std::exit(1);
    std::fseek(f, 0, SEEK_END);
    const long long size = std::ftell(f);
    std::fclose(f);
    return size;
}

double seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The reference: the whole file into a fresh buffer with one read.
void readWhole(const char* name) {
    const long long size = fileSize(name);
    auto* buffer = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(size)));
    std::FILE* f = std::fopen(name, "rb");
    if (!buffer || !f ||
        std::fread(buffer, 1, static_cast<std::size_t>(size), f) != static_cast<std::size_t>(size)) {
        std::exit(1);
    }
    std::fclose(f);
    volatile std::uint8_t sink = buffer[size / 2];
    (void)sink;
    std::free(buffer);
}

// The import as start-up runs it: header, preflight, a fresh picture buffer, the import.
void importPicture(const char* name) {
    char field[21];
    std::snprintf(field, sizeof field, "%-20s", name);
    int width = 0, height = 0, bytesPerPixel = 0, status = 0;
    image::BmpPicture file;
    image::openBmp(field, 14, file, width, height, bytesPerPixel);
    image::checkBmpSize(file, width, height);
    const long long bytes = 3LL * width * height;
    auto* picture = static_cast<std::uint8_t*>(memory::allocatePicture(static_cast<std::size_t>(bytes)));
    if (!picture) std::exit(1);
    image::readBmpPixels(file, bytes, picture, 1, status);
    volatile std::uint8_t sink = picture[bytes / 2];
    (void)sink;
    memory::releasePicture(picture);
}

// stb_image decoding the same file to 3-byte RGB pixels (its own row order, top row first).
void stbDecode(const char* name) {
    int width = 0, height = 0, channels = 0;
    stbi_uc* picture = stbi_load(name, &width, &height, &channels, 3);
    if (!picture) std::exit(1);
    volatile stbi_uc sink = picture[3LL * width * height / 2];
    (void)sink;
    stbi_image_free(picture);
}

void idle(const char*) {}

struct Run {
    double seconds;
    long maxRssKb;
};

// One run of `work` in a forked child: its own wall time and its peak resident size.
Run inChild(void (*work)(const char*), const char* name) {
    int channel[2];
    if (pipe(channel) != 0) std::exit(1);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const double start = seconds();
        work(name);
        const double elapsed = seconds() - start;
        if (write(channel[1], &elapsed, sizeof elapsed) != sizeof elapsed) _exit(1);
        _exit(0);
    }
    close(channel[1]);
    Run run{0.0, 0};
    if (read(channel[0], &run.seconds, sizeof run.seconds) != sizeof run.seconds) std::exit(1);
    close(channel[0]);
    int status = 0;
    struct rusage usage;
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::exit(1);
    run.maxRssKb = usage.ru_maxrss;
    return run;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void times(const char* what, const std::vector<double>& v) {
    const auto ms = [](double s) { return s * 1000.0; };
    std::printf("  %-30s median %7.1f ms  (min %7.1f, max %7.1f)\n", what, ms(median(v)),
                ms(*std::min_element(v.begin(), v.end())), ms(*std::max_element(v.begin(), v.end())));
}

// Ratios are taken round by round, so the spread shows how far the machine's noise moves them.
void ratio(const char* key, const char* what, const std::vector<double>& top, const std::vector<double>& bottom) {
    std::vector<double> r;
    for (std::size_t k = 0; k < top.size(); ++k) r.push_back(top[k] / bottom[k]);
    std::printf("  %-40s %.2f  (spread %.2f-%.2f)\n", what, median(r), *std::min_element(r.begin(), r.end()),
                *std::max_element(r.begin(), r.end()));
    std::printf("RESULT import-%s %.3f %.3f %.3f\n", key, median(r), *std::min_element(r.begin(), r.end()),
                *std::max_element(r.begin(), r.end()));
}

// The import of a run-length file against its uncompressed twin (stb_image reads no run lengths).
void compareTwins(const char* label, const char* compressed, const char* twin) {
    inChild(importPicture, compressed);
    inChild(importPicture, twin);
    std::vector<double> runLengths, plain;
    for (int r = 0; r < kRuns; ++r) {
        runLengths.push_back(inChild(importPicture, compressed).seconds);
        plain.push_back(inChild(importPicture, twin).seconds);
    }
    std::printf("%s (%lld-byte file, %lld-byte twin), %d runs each, interleaved\n", label, fileSize(compressed),
                fileSize(twin), kRuns);
    times("BmpImpor run lengths:", runLengths);
    times("BmpImpor uncompressed twin:", plain);
    ratio("8bit-rle-vs-twin", "time ratio run lengths / twin:", runLengths, plain);
    std::printf("\n");
}

// `sameSize` names a file as large as the picture: reading it is the least work that yields the
// picture's bytes, the fair reference when the file is smaller than the picture (8-bit).
void compare(const char* label, const char* name, const char* sameSize = nullptr) {
    const long long pictureBytes = 3LL * kWidth * kHeight;
    inChild(readWhole, name);  // warm the page cache and the code
    inChild(importPicture, name);
    inChild(stbDecode, name);
    const long baseKb = inChild(idle, name).maxRssKb;
    std::vector<double> reference, import, stb, sameSizeReference;
    long referenceKb = 0, importKb = 0, stbKb = 0;
    for (int r = 0; r < kRuns; ++r) {  // interleaved, so drift hits both sides alike
        const Run a = inChild(readWhole, name);
        const Run b = inChild(importPicture, name);
        const Run c = inChild(stbDecode, name);
        if (sameSize) sameSizeReference.push_back(inChild(readWhole, sameSize).seconds);
        reference.push_back(a.seconds);
        import.push_back(b.seconds);
        stb.push_back(c.seconds);
        referenceKb = std::max(referenceKb, a.maxRssKb);
        importKb = std::max(importKb, b.maxRssKb);
        stbKb = std::max(stbKb, c.maxRssKb);
    }
    std::printf("%s (%lld-byte file, %lld-byte picture), %d runs each, interleaved\n", label, fileSize(name),
                pictureBytes, kRuns);
    times("read file into fresh buffer:", reference);
    times("BmpImpor (swap 1):", import);
    times("stb_image to RGB:", stb);
    ratio(sameSize ? "8bit-vs-read" : "24bit-vs-read", "time ratio import / read:", import, reference);
    if (sameSize) {
        times("read a picture-sized file:", sameSizeReference);
        ratio("8bit-vs-read-picture-size", "time ratio import / picture-sized read:", import, sameSizeReference);
    }
    ratio(sameSize ? "8bit-stb-vs-import" : "24bit-stb-vs-import", "speed-up over stb_image (stb / import):",
          stb, import);
    const auto extra = [&](long kb) { return static_cast<double>(kb - baseKb) * 1024.0; };
    std::printf("  peak RSS above an idle child (%ld KB): read %.1f MB, import %.1f MB, stb_image %.1f MB\n",
                baseKb, extra(referenceKb) / 1048576.0, extra(importKb) / 1048576.0, extra(stbKb) / 1048576.0);
    std::printf("  import peak / picture buffer: %.3f\n\n", extra(importKb) / static_cast<double>(pictureBytes));
    std::printf("RESULT import-%s-peak %.3f\n\n", sameSize ? "8bit" : "24bit",
                extra(importKb) / static_cast<double>(pictureBytes));
}

}  // namespace

int main() {
    char folder[] = "/tmp/orvex-bench-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) return 1;
    if (!bmptest::saveBmp("b24.bmp", bmptest::Shape{kWidth, kHeight, 24}, bmptest::sample) ||
        !bmptest::saveBmp("b8.bmp", bmptest::Shape{kWidth, kHeight, 8, 256}, bmptest::sampleIndex, bmptest::paletteColour))
        return 1;
    compare("24-bit 8192 x 4096", "b24.bmp");
    compare("8-bit 8192 x 4096", "b8.bmp", "b24.bmp");
    // Its run-length twin as ImageMagick writes it by default; no byte repeats along a row, so
    // every pixel sits in a stored run: the slowest kind of run-length data.
    if (std::system("/usr/bin/convert b8.bmp -type Palette BMP3:r8.bmp") == 0) {
        compareTwins("8-bit RLE8 8192 x 4096", "r8.bmp", "b8.bmp");
        std::remove("r8.bmp");
    }
    std::remove("b24.bmp");
    std::remove("b8.bmp");
    if (chdir("/") != 0 || rmdir(folder) != 0) return 1;
    return 0;
}
