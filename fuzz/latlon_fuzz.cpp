// Fuzz target: the Orvex.Out reader on arbitrary text. A file without usable numbers is a status;
// two numbers read must be finite, and numbers that fit the file's fields must come back through
// the writer and the reader unchanged to the tenth of a degree.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "latlon/latlon.hpp"
#include "texts/texts.hpp"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const latlon::LatLonValues v = latlon::parseLatLon(reinterpret_cast<const char*>(data), size);
    if (v.status != latlon::LatLonStatus::ok) return 0;
    check(std::isfinite(v.latitude) && std::isfinite(v.longitude));

    // The small window formats whatever was read, however large.
    screen::ScreenText shown[texts::kSmallWindowTextCount];
    texts::smallWindowTexts(v.latitude, v.longitude, shown);

    if (std::fabs(v.latitude) < 999.0 && std::fabs(v.longitude) < 999.0) {
        fields::TextLine file;
        latlon::formatLatLonFile(v.latitude, v.longitude, file);
        const latlon::LatLonValues back = latlon::parseLatLon(file.text, static_cast<std::size_t>(file.length));
        check(back.status == latlon::LatLonStatus::ok);
        check(std::fabs(back.latitude - v.latitude) <= 0.05 + 1e-9);
        check(std::fabs(back.longitude - v.longitude) <= 0.05 + 1e-9);
    }
    return 0;
}
