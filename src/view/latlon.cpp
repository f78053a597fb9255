#include "view/latlon.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/console.hpp"
#include "screen/text.hpp"
#include "model/state.hpp"

namespace view {

namespace {

constexpr char kDegreeSign = static_cast<char>(176);
constexpr const char* kCommentLine = " Above: latitude & longitude in degrees.";

// The import reads at most this much of the file: the numbers sit in its first lines, and a
// huge file (or a device) must not be pulled into memory whole.
constexpr std::size_t kMaxImportBytes = 1 << 20;

// Longest number text converted; longer digit strings count as no usable number.
constexpr int kMaxNumberChars = 255;

// --- free-form number reading --------------------------------------------------------------------

// Blanks around a number. A carriage return belongs to a line end written on another system.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Characters after which a number is complete.
bool endsNumber(char c) { return isBlank(c) || c == ',' || c == '/' || c == '\n'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The start of the line after the one that holds p (or end).
const char* nextLine(const char* p, const char* end) {
    while (p < end && *p != '\n') ++p;
    return p < end ? p + 1 : end;
}

enum class LineRead { blank, number, noNumber };

// Reads the number at the start of the line beginning at p (leading blanks skipped).
LineRead numberAtLineStart(const char* p, const char* end, double& value) {
    while (p < end && isBlank(*p)) ++p;
    if (p == end || *p == '\n') return LineRead::blank;

    // Scan the token and check its form before anything converts it.
    const char* q = p;
    if (*q == '+' || *q == '-') ++q;
    int mantissaDigits = 0;
    while (q < end && isDigit(*q)) ++q, ++mantissaDigits;
    if (q < end && *q == '.') {
        ++q;
        while (q < end && isDigit(*q)) ++q, ++mantissaDigits;
    }
    if (mantissaDigits == 0) return LineRead::noNumber;
    const char* exponent = nullptr;  // first character after the exponent's marker letter
    bool exponentLetter = false;
    if (q < end && (*q == 'e' || *q == 'E' || *q == 'd' || *q == 'D')) {
        exponentLetter = true;
        exponent = ++q;
    } else if (q < end && (*q == '+' || *q == '-')) {
        exponent = q;  // 1.5+3: the sign alone marks the exponent
    }
    if (exponent) {
        if (q < end && (*q == '+' || *q == '-')) ++q;
        int exponentDigits = 0;
        while (q < end && isDigit(*q)) ++q, ++exponentDigits;
        if (exponentDigits == 0) return LineRead::noNumber;
    }
    if (q < end && !endsNumber(*q)) return LineRead::noNumber;

    // Rewrite the exponent marker as 'e' so the C library converts the token exactly.
    char text[kMaxNumberChars + 2];
    int n = 0;
    for (const char* c = p; c < q; ++c) {
        if (n >= kMaxNumberChars) return LineRead::noNumber;
        if (c == exponent && !exponentLetter) text[n++] = 'e';
        if (exponentLetter && c + 1 == exponent) {
            text[n++] = 'e';
            continue;
        }
        text[n++] = *c;
    }
    text[n] = 0;
    value = std::strtod(text, nullptr);
    return std::isfinite(value) ? LineRead::number : LineRead::noNumber;
}

// Reads the first number from the line at p, skipping blank lines; p moves past its line.
bool readNumber(const char*& p, const char* end, double& value) {
    while (p < end) {
        const LineRead r = numberAtLineStart(p, end, value);
        p = nextLine(p, end);
        if (r == LineRead::number) return true;
        if (r == LineRead::noNumber) return false;
    }
    return false;
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
    const char* p = text;
    const char* end = text + length;
    if (!readNumber(p, end, result.latitude)) {
        result.status = LatLonStatus::noLatitude;
        return result;
    }
    if (!readNumber(p, end, result.longitude)) {
        result.status = LatLonStatus::noLongitude;
        return result;
    }
    result.status = LatLonStatus::ok;
    return result;
}

void ExportLatLon() {
    fields::TextLine content;
    formatLatLonFile(model::state.centreLatitude, model::state.centreLongitude, content);
    std::FILE* file = std::fopen(kLatLonFileName, "w");
    if (!file) console::ioFailure("cannot create", kLatLonFileName);
    const std::size_t length = static_cast<std::size_t>(content.length);
    bool written = std::fwrite(content.text, 1, length, file) == length;
    written = (std::fclose(file) == 0) && written;
    if (!written) console::ioFailure("cannot write", kLatLonFileName);
}

void ImportLatLon() {
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
    model::state.viewLatitude = model::state.centreLatitude - 90;
    model::state.centreLongitude = values.longitude;
    model::state.viewLongitude = -360 - model::state.centreLongitude;
    model::state.importPending = 0;
}

// --- the small window --------------------------------------------------------------------------------

void smallWindowTexts(double latitude, double longitude,
                      ScreenText (&texts)[kSmallWindowTextCount]) {
    for (ScreenText& t : texts) t.buffer.clear();
    texts[0].buffer.str("Orvex.Exe");
    texts[0].length = 9, texts[0].row = 3, texts[0].col = 1, texts[0].color = 15;
    texts[1].buffer.str("`L` to return");
    texts[1].length = 13, texts[1].row = 58, texts[1].col = 86, texts[1].color = 14;
    // The value after the label lies beyond the printed length: only "Orvex.Out=" shows.
    texts[2].buffer.str("Orvex.Out=").f(latitude, 6, 1).ch(kDegreeSign);
    texts[2].length = 10, texts[2].row = 50, texts[2].col = 1, texts[2].color = 15;
    texts[3].buffer.str("Lat=").f(latitude, 6, 1).ch(kDegreeSign);
    texts[3].length = 11, texts[3].row = 54, texts[3].col = 1, texts[3].color = 15;
    texts[4].buffer.str("Lon=").f(longitude, 6, 1).ch(kDegreeSign);
    texts[4].length = 11, texts[4].row = 58, texts[4].col = 1, texts[4].color = 15;
    for (ScreenText& t : texts) t.buffer.padTo(kTextBufferLength);
}

void DrawSmallWindowTexts() {
    ScreenText texts[kSmallWindowTextCount];
    smallWindowTexts(model::state.centreLatitude, model::state.centreLongitude, texts);
    for (const ScreenText& t : texts) {
        int row = t.row;
        int col = t.col;
        screen::PrntOrth(t.length, t.buffer.c_str(), row, col, t.color, 0, 1, 0);
    }
}

}  // namespace view
