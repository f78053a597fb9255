// The configuration step of the run: the working directory's Orvex.Txt read, reported and put
// into the view state. Apart from config.cpp so that the reader itself links without GL.
#include "startup/config.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "model/state.hpp"
#include "platform/console.hpp"
#include "platform/files.hpp"

namespace startup {

namespace {

bool existsOnDisk(const char* name, void*) { return files::exists(name); }

}  // namespace

void readConfiguration() {
    model::State& s = model::state;
    console::write("  Searching for the user-supplied file Orvex.Txt");
    if (!existsOnDisk("Orvex.Txt", nullptr)) {
        console::write(" ...not found.\a");
        console::stop(console::Failure::configMissing, " Halt.");
    }
    console::writeLine(" ...found.");

    std::FILE* file = std::fopen("Orvex.Txt", "rb");
    if (!file) console::ioFailure(console::Failure::ioError, "cannot open", "Orvex.Txt");
    std::string text;
    char chunk[4096];
    std::size_t got;
    errno = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, got);
        if (text.size() > (1u << 24)) break;  // a configuration never needs more than this
    }
    // A read that fails (a directory named Orvex.Txt, a device error) is not the end of the file.
    if (std::ferror(file)) {
        const std::string what = std::string("cannot read (") + std::strerror(errno != 0 ? errno : EIO) + ")";
        console::ioFailure(console::Failure::ioError, what.c_str(), "Orvex.Txt");
    }
    std::fclose(file);

    ConfigResult r = parseConfiguration(text.data(), text.size(), existsOnDisk, nullptr);
    // By length: a NUL byte read into a name must not cut the rest of the report short.
    console::write(r.report.data(), static_cast<int>(r.report.size()));
    if (r.stopped && r.stopsSilently) console::stopSilently(r.stopFailure);
    if (r.stopped) console::stop(r.stopFailure, r.stopMessage.c_str(), r.stopDetail.c_str());
    if (r.countCut) console::announceFailure(console::Failure::tooManyMaps, r.countText.c_str());

    s.imageCount = r.imageCount;
    for (int i = 1; i <= r.imageCount; ++i) {
        s.imageFiles[i] = r.names[i - 1];
        s.radiiKm[i] = r.radii[i - 1];
    }
}

}  // namespace startup
