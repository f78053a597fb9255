// Import benchmark: BmpImpor on 8192 x 4096 pictures (24-bit and 8-bit) against the least work
// on the same input, reading the whole file into a fresh buffer. Every run happens in a forked
// child so that each starts with fresh memory and its peak resident size can be read apart.
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

#include "image/bmp.hpp"

namespace {

constexpr int kWidth = 8192;
constexpr int kHeight = 4096;
constexpr int kRuns = 9;

// Writes a width x height file of `bits` with a gradient that changes along both axes.
void writeBmp(const char* name, int bits) {
    const int bytesPerPixel = bits / 8;
    const int paletteEntries = bits == 8 ? 256 : 0;
    const long long rowBytes = (static_cast<long long>(kWidth) * bytesPerPixel + 3) / 4 * 4;
    image::BH h;
    h.bfOffBits = static_cast<std::uint32_t>(54 + 4 * paletteEntries);
    h.bfSize = static_cast<std::uint32_t>(h.bfOffBits + rowBytes * kHeight);
    h.biSize = 40;
    h.biWidth = kWidth;
    h.biHeight = kHeight;
    h.biPlanes = 1;
    h.nBitsPP = static_cast<std::uint16_t>(bits);
    std::uint8_t header[image::kBmpHeaderBytes];
    image::encodeHeader(h, header);
    std::FILE* f = std::fopen(name, "wb");
    if (!f) std::exit(1);
    std::fwrite(header, 1, sizeof header, f);
    for (int k = 0; k < paletteEntries; ++k) {
        const std::uint8_t entry[4] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(255 - k),
                                       static_cast<std::uint8_t>(k * 3), 0};
        std::fwrite(entry, 1, 4, f);
    }
    std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes), 0);
    for (int y = 0; y < kHeight; ++y) {
        for (long long i = 0; i < static_cast<long long>(kWidth) * bytesPerPixel; ++i) {
            row[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7 + y);
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    std::fclose(f);
}

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
    image::ReadaBmp(field, 14, width, height, bytesPerPixel);
    image::BmpCheck(field, 14, width, height);
    const long long bytes = 3LL * width * height;
    auto* picture = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(bytes)));
    if (!picture) std::exit(1);
    image::BmpImpor(field, 14, width, height, bytes, picture, 1, status);
    volatile std::uint8_t sink = picture[bytes / 2];
    (void)sink;
    std::free(picture);
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

// `sameSize` names a file as large as the picture: reading it is the least work that yields the
// picture's bytes, the fair reference when the file is smaller than the picture (8-bit).
void compare(const char* label, const char* name, const char* sameSize = nullptr) {
    const long long pictureBytes = 3LL * kWidth * kHeight;
    inChild(readWhole, name);  // warm the page cache and the code
    inChild(importPicture, name);
    const long baseKb = inChild(idle, name).maxRssKb;
    std::vector<double> reference, import, sameSizeReference;
    long referenceKb = 0, importKb = 0;
    for (int r = 0; r < kRuns; ++r) {  // interleaved, so drift hits both sides alike
        const Run a = inChild(readWhole, name);
        const Run b = inChild(importPicture, name);
        if (sameSize) sameSizeReference.push_back(inChild(readWhole, sameSize).seconds);
        reference.push_back(a.seconds);
        import.push_back(b.seconds);
        referenceKb = std::max(referenceKb, a.maxRssKb);
        importKb = std::max(importKb, b.maxRssKb);
    }
    const auto ms = [](double s) { return s * 1000.0; };
    std::printf("%s (%lld-byte file, %lld-byte picture), %d runs each\n", label, fileSize(name), pictureBytes,
                kRuns);
    std::printf("  read file into fresh buffer: median %7.1f ms  (min %7.1f, max %7.1f)\n",
                ms(median(reference)), ms(*std::min_element(reference.begin(), reference.end())),
                ms(*std::max_element(reference.begin(), reference.end())));
    std::printf("  BmpImpor (swap 1):           median %7.1f ms  (min %7.1f, max %7.1f)\n",
                ms(median(import)), ms(*std::min_element(import.begin(), import.end())),
                ms(*std::max_element(import.begin(), import.end())));
    std::printf("  time ratio import / read: %.2f\n", median(import) / median(reference));
    if (sameSize) {
        std::printf("  read a file of the picture's size: median %7.1f ms; ratio import / that read: %.2f\n",
                    ms(median(sameSizeReference)), median(import) / median(sameSizeReference));
    }
    const double importExtra = static_cast<double>(importKb - baseKb) * 1024.0;
    const double referenceExtra = static_cast<double>(referenceKb - baseKb) * 1024.0;
    std::printf("  peak RSS above an idle child (%ld KB): read %.1f MB, import %.1f MB\n", baseKb,
                referenceExtra / 1048576.0, importExtra / 1048576.0);
    std::printf("  import peak / picture buffer: %.3f\n\n", importExtra / static_cast<double>(pictureBytes));
}

}  // namespace

int main() {
    char folder[] = "/tmp/orvex-bench-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) return 1;
    writeBmp("b24.bmp", 24);
    writeBmp("b8.bmp", 8);
    compare("24-bit 8192 x 4096", "b24.bmp");
    compare("8-bit 8192 x 4096", "b8.bmp", "b24.bmp");
    std::remove("b24.bmp");
    std::remove("b8.bmp");
    if (chdir("/") != 0 || rmdir(folder) != 0) return 1;
    return 0;
}
