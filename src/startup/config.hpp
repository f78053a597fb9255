// The run configuration file Orvex.Txt: the image count, then a file name and a body radius per
// image, each value on a fresh line.
#pragma once
#include <cstddef>
#include <string>

#include "model/types.hpp"

namespace startup {

// What reading the configuration produced: the report written on standard output, and either a
// normal end or a stop with its message.
struct ConfigResult {
    std::string report;             // standard-output text, exactly as printed
    bool stopped = false;           // the run ends after the report
    bool stopsSilently = false;     // that stop writes no message
    std::string stopMessage;        // message of that stop, when it writes one
    int imageCount = 0;             // 0..5
    model::NameField names[model::kMaxImages];  // 20-character blank-padded names
    double radii[model::kMaxImages] = {};      // km, at least 1.0 for configured images
};

// Tests whether a file named by the (already trimmed) name exists.
using FileExists = bool (*)(const char* name, void* context);

// Reads the configuration from the file's bytes, testing image files with `exists`. Pure apart
// from that callback: the caller prints the report and carries out the stop.
ConfigResult parseConfiguration(const char* data, std::size_t size, FileExists exists,
                                void* context);

// Runs the configuration step on the working directory's Orvex.Txt: prints the report, fills
// the configured part of the view state, or ends the run.
void readConfiguration();

}  // namespace startup
