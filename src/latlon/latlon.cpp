#include "latlon/latlon.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/console.hpp"
#include "platform/listread.hpp"
#include "model/orientation.hpp"
#include "model/state.hpp"

namespace latlon {

namespace {

constexpr char kDegreeSign = static_cast<char>(176);
constexpr const char* kCommentLine = " Above: latitude & longitude in degrees.";

// The import reads at most this much of the file: the numbers sit in its first lines, and a
// huge file (or a device) must not be pulled into memory whole.
constexpr std::size_t kMaxImportBytes = 1 << 20;

// Orvex.Out is written by this program or by hand on any system: a CR counts as a blank, an
// exponent may be marked by its sign alone, and a number longer than 255 characters is refused.
constexpr listread::ListGrammar kLatLonGrammar = {true, true, 255};

// Reads the first number of the next line that holds anything; false when it holds no number,
// or one too large for the pointer to express.
bool readNumber(listread::LineCursor& in, double& value) {
    const char* begin;
    const char* end;
    if (!in.nextValueLine(begin, end)) return false;
    return listread::readReal(begin, listread::valueEnd(begin, end, kLatLonGrammar), kLatLonGrammar,
                              value) &&
           std::fabs(value) <= model::kLargestPointerAngle;
}

}  // namespace

// --- the file --------------------------------------------------------------------------------------

void formatLatLonFile(double latitude, double longitude, fields::TextLine& out) {
    out.clear();
    out.ch(' ').f(latitude, 6, 1).ch('\n');
    out.ch(' ').f(longitude, 6, 1).ch('\n');
    out.str(kCommentLine).ch('\n');
}

LatLonValues parseLatLon(const char* text, std::size_t length) {
    LatLonValues result;
    listread::LineCursor in{text, length, kLatLonGrammar};
    if (!readNumber(in, result.latitude)) {
        result.status = LatLonStatus::noLatitude;
        return result;
    }
    if (!readNumber(in, result.longitude)) {
        result.status = LatLonStatus::noLongitude;
        return result;
    }
    result.status = LatLonStatus::ok;
    return result;
}

void exportLatLon() {
    fields::TextLine content;
    formatLatLonFile(model::state.centreLatitude, model::state.centreLongitude, content);
    std::FILE* file = std::fopen(kLatLonFileName, "w");
    if (!file) console::ioFailure(console::Failure::ioError, "cannot create", kLatLonFileName);
    const std::size_t length = static_cast<std::size_t>(content.length);
    bool written = std::fwrite(content.text, 1, length, file) == length;
    written = (std::fclose(file) == 0) && written;
    if (!written) console::ioFailure(console::Failure::ioError, "cannot write", kLatLonFileName);
    console::announceWritten(kLatLonFileName);
}

void importLatLon() {
    std::FILE* file = std::fopen(kLatLonFileName, "rb");
    if (!file) return;  // no file: the view stays as it is, without a message
    std::vector<char> text(kMaxImportBytes);
    const std::size_t length = std::fread(text.data(), 1, text.size(), file);
    const bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    if (readFailed) return;  // not readable as a file (a directory, say): same as no file

    const LatLonValues values = parseLatLon(text.data(), length);
    if (values.status != LatLonStatus::ok) {
        // A hand-edited file that lost its numbers leaves the view as it is.
        console::writeLine(" Orvex.Out holds no usable latitude/longitude.");
        return;
    }
    model::state.centreLatitude = values.latitude;
    model::state.viewLatitude = model::viewLatitudeFor(model::state.centreLatitude);
    model::state.centreLongitude = values.longitude;
    model::state.viewLongitude = model::viewLongitudeFor(model::state.centreLongitude);
    model::state.importPending = 0;
}

}  // namespace latlon
