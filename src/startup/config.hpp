// The run configuration file Orvex.Txt: the image count, then a file name and a body radius per
// image, each value on a fresh line.
#pragma once
#include <cstddef>
#include <string>

#include "model/types.hpp"
#include "platform/console.hpp"
#include "platform/listread.hpp"

namespace startup {

// Orvex.Txt takes the plain grammar: blanks and tabs, a CR only before a line end.
constexpr listread::ListGrammar kConfigGrammar = {};

// Columns of the radius in the report: the largest radius shown is 10^(columns - 1) - 1 ("9999999.").
constexpr int kRadiusColumns = 8;

// How reading one value went: bad is a quoted name without its closing quote.
enum class ValueRead { value, null, end, bad };

// One value of Orvex.Txt and where it stands in the text, so that a program can edit it in place.
struct ConfigValue {
    ValueRead read = ValueRead::end;
    std::string text;                // the unquoted token, or a quoted name without its quotes
    std::size_t begin = 0, end = 0;  // byte offsets of the token (a quoted name with its quotes)
};

// The values in the order the run reads them: the count, then a name and a radius for each of
// the first `pairs` images. Reading ends at the end of the text, after min(count, 5) pairs, at an
// unreadable count or at a name without its closing quote.
struct ConfigValues {
    ConfigValue count;
    bool countUnreadable = false;  // the count is there but no whole number within 32 bits
    long long countValue = 0;      // as written; 0 when there is none
    int pairs = 0;
    ConfigValue names[model::kMaxImages];
    ConfigValue radii[model::kMaxImages];
};

// Reads the values from the file's bytes; pure. parseConfiguration reads through it.
ConfigValues scanConfiguration(const char* data, std::size_t size);

// What reading the configuration produced: the report written on standard output, and either a
// normal end or a stop with its message.
struct ConfigResult {
    std::string report;             // standard-output text, exactly as printed
    bool stopped = false;           // the run ends after the report
    bool stopsSilently = false;     // that stop writes no message
    std::string stopMessage;        // message of that stop, when it writes one
    console::Failure stopFailure = console::Failure::none;  // what that stop was about
    std::string stopDetail;         // for the page: the name of a missing map
    bool countCut = false;          // the count was above the most the viewer reads
    std::string countText;          // the count as written
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
