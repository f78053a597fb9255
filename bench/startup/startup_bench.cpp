// Start-up benchmark: five 8192 x 4096 pictures, from process start (taken here, just before the
// fork) to the first buffer swap (recorded by the preloaded swap counter), the viewer against the
// start-up reference, interleaved. Peak memory is the child's VmHWM read just after its first
// swap. Needs an X display; the pictures are written once into the cache folder and kept.
//   startup_bench VIEWER REFERENCE PRELOAD_SO CACHE_DIR [rounds]
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../../tests/support/bmp_writer.hpp"
#include "../../tests/support/preload/record.hpp"

namespace {

constexpr int kWidth = 8192;
constexpr int kHeight = 4096;
constexpr int kPictures = 5;

double now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 &&
           st.st_size == 54 + 3LL * kWidth * kHeight;
}

// The five pictures and their Orvex.Txt, written only when missing.
void preparePictures(const std::string& folder) {
    mkdir(folder.c_str(), 0755);
    std::string config = std::to_string(kPictures) + "\n";
    for (int i = 1; i <= kPictures; ++i) {
        const std::string name = "start" + std::to_string(i) + ".bmp";
        const std::string path = folder + "/" + name;
        if (!exists(path)) {
            std::fprintf(stderr, "writing %s\n", path.c_str());
            // Each picture its own: the sample shifted by i columns.
            const auto pixel = [i](int x, int y) { return bmptest::sample(x + i, y); };
            if (!bmptest::saveBmp(path, bmptest::Shape{kWidth, kHeight, 24}, pixel)) std::exit(1);
        }
        config += name + "\n6371\n";
    }
    std::FILE* f = std::fopen((folder + "/Orvex.Txt").c_str(), "w");
    if (!f) std::exit(1);
    std::fputs(config.c_str(), f);
    std::fclose(f);
}

long vmHwmKb(pid_t pid) {
    std::FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    if (!f) return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::strtol(line + 6, nullptr, 10);
    }
    std::fclose(f);
    return kb;
}

struct Run {
    double seconds;  // process start to first swap
    long peakKb;     // VmHWM just after the first swap
};

// Starts `program` in `folder` with the swap counter preloaded and waits for its first swap.
Run timeToFirstSwap(const char* program, const char* counter, const std::string& folder) {
    const std::string record = folder + "/swaps.record";
    const int fd = open(record.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ftruncate(fd, sizeof(PreloadRecord)) != 0) std::exit(1);
    auto* swaps = static_cast<PreloadRecord*>(
        mmap(nullptr, sizeof(PreloadRecord), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    close(fd);
    if (swaps == MAP_FAILED) std::exit(1);

    const double start = now();
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(1);
        setenv("ORVEX_PRELOAD_RECORD", record.c_str(), 1);
        setenv("LD_PRELOAD", counter, 1);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    Run run{0.0, 0};
    const double deadline = start + 120.0;
    while (__atomic_load_n(&swaps->swaps, __ATOMIC_ACQUIRE) == 0) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child || now() > deadline) {
            std::fprintf(stderr, "%s ended or hung before its first swap\n", program);
            std::exit(1);
        }
        usleep(1000);
    }
    run.seconds = swaps->firstSwap - start;
    run.peakKb = vmHwmKb(child);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    munmap(swaps, sizeof(PreloadRecord));
    unlink(record.c_str());
    return run;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char* what, const std::vector<double>& v, const char* unit, double scale) {
    std::printf("  %-28s median %8.1f %s  (min %8.1f, max %8.1f)\n", what, median(v) * scale, unit,
                *std::min_element(v.begin(), v.end()) * scale, *std::max_element(v.begin(), v.end()) * scale);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: startup_bench VIEWER REFERENCE PRELOAD_SO CACHE_DIR [rounds]\n");
        return 2;
    }
    // The children start in the cache folder: their paths must not depend on ours.
    static char viewer[PATH_MAX], reference[PATH_MAX], counter[PATH_MAX];
    if (!realpath(argv[1], viewer) || !realpath(argv[2], reference) || !realpath(argv[3], counter)) {
        std::fprintf(stderr, "startup_bench: a program or the counter is missing\n");
        return 2;
    }
    const std::string folder = argv[4];
    const int rounds = argc > 5 ? std::atoi(argv[5]) : 5;
    preparePictures(folder);

    timeToFirstSwap(reference, counter, folder);  // warm the page cache and the libraries
    timeToFirstSwap(viewer, counter, folder);
    std::vector<double> viewerTimes, referenceTimes, ratios, viewerPeak, referencePeak, peakRatios;
    for (int r = 0; r < rounds; ++r) {  // interleaved, the order alternating
        const bool viewerFirst = r % 2 == 0;
        Run v{}, f{};
        if (viewerFirst) v = timeToFirstSwap(viewer, counter, folder);
        f = timeToFirstSwap(reference, counter, folder);
        if (!viewerFirst) v = timeToFirstSwap(viewer, counter, folder);
        viewerTimes.push_back(v.seconds);
        referenceTimes.push_back(f.seconds);
        ratios.push_back(v.seconds / f.seconds);
        viewerPeak.push_back(static_cast<double>(v.peakKb));
        referencePeak.push_back(static_cast<double>(f.peakKb));
        peakRatios.push_back(static_cast<double>(v.peakKb) / static_cast<double>(f.peakKb));
    }
    std::printf("Start-up, %d pictures of %d x %d (24-bit), %d interleaved rounds\n", kPictures, kWidth,
                kHeight, rounds);
    report("viewer to first swap:", viewerTimes, "ms", 1000.0);
    report("reference to first swap:", referenceTimes, "ms", 1000.0);
    report("viewer peak (VmHWM):", viewerPeak, "MB", 1.0 / 1024.0);
    report("reference peak (VmHWM):", referencePeak, "MB", 1.0 / 1024.0);
    const auto spread = [](const char* key, const char* what, const std::vector<double>& v) {
        const double lo = *std::min_element(v.begin(), v.end()), hi = *std::max_element(v.begin(), v.end());
        std::printf("  %-40s %.2f  (spread %.2f-%.2f)\n", what, median(v), lo, hi);
        std::printf("RESULT %s %.3f %.3f %.3f\n", key, median(v), lo, hi);
    };
    spread("startup-time", "time ratio viewer / reference:", ratios);
    spread("startup-peak", "peak ratio viewer / reference:", peakRatios);
    return 0;
}
