#include "startup/config.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/console.hpp"
#include "platform/fields.hpp"
#include "startup/textures.hpp"

namespace startup {

namespace {

// A cursor over the file's lines. Every value is read from a fresh line.
struct LineReader {
    const char* data;
    std::size_t size;
    std::size_t pos = 0;

    // The next line holding anything but blanks and tabs; false at the end of the file.
    bool nextValueLine(const char*& begin, const char*& end) {
        while (pos < size) {
            const char* lineBegin = data + pos;
            const char* nl = static_cast<const char*>(std::memchr(lineBegin, '\n', size - pos));
            const char* lineEnd = nl ? nl : data + size;
            pos = nl ? static_cast<std::size_t>(nl - data) + 1 : size;
            if (lineEnd > lineBegin && lineEnd[-1] == '\r') --lineEnd;  // files written on DOS
            const char* p = lineBegin;
            while (p < lineEnd && (*p == ' ' || *p == '\t')) ++p;
            if (p < lineEnd) {
                begin = p;
                end = lineEnd;
                return true;
            }
        }
        return false;
    }
};

enum class Read { Value, Null, End, Bad };

bool endsValue(char c) { return c == ' ' || c == '\t' || c == ',' || c == '/'; }

// The unquoted value at the start of a line: up to the first blank, tab, comma or slash.
std::string unquotedToken(const char* begin, const char* end) {
    const char* p = begin;
    while (p < end && !endsValue(*p)) ++p;
    return std::string(begin, p);
}

// An optional sign and digits, within 32 bits.
bool parseInteger(const std::string& token, long long& value) {
    std::size_t k = 0;
    if (k < token.size() && (token[k] == '+' || token[k] == '-')) ++k;
    if (k == token.size()) return false;
    for (std::size_t j = k; j < token.size(); ++j) {
        if (token[j] < '0' || token[j] > '9') return false;
    }
    if (token.size() - k > 10) return false;
    value = std::strtoll(token.c_str(), nullptr, 10);
    return value >= -2147483648LL && value <= 2147483647LL;
}

// Integer, fixed-point or exponent form (e, E, d or D), with optional signs; finite.
bool parseReal(const std::string& token, double& value) {
    std::string t = token;
    std::size_t k = 0;
    if (k < t.size() && (t[k] == '+' || t[k] == '-')) ++k;
    std::size_t digits = 0;
    while (k < t.size() && t[k] >= '0' && t[k] <= '9') ++k, ++digits;
    if (k < t.size() && t[k] == '.') {
        ++k;
        while (k < t.size() && t[k] >= '0' && t[k] <= '9') ++k, ++digits;
    }
    if (digits == 0) return false;
    if (k < t.size() && (t[k] == 'e' || t[k] == 'E' || t[k] == 'd' || t[k] == 'D')) {
        t[k] = 'e';
        ++k;
        if (k < t.size() && (t[k] == '+' || t[k] == '-')) ++k;
        std::size_t expDigits = 0;
        while (k < t.size() && t[k] >= '0' && t[k] <= '9') ++k, ++expDigits;
        if (expDigits == 0) return false;
    }
    if (k != t.size()) return false;
    errno = 0;
    value = std::strtod(t.c_str(), nullptr);
    return std::isfinite(value);
}

// Reads one name: quoted (apostrophes or double quotes, doubled quotes inside) or unquoted.
Read readName(LineReader& in, std::string& name) {
    const char* begin;
    const char* end;
    if (!in.nextValueLine(begin, end)) return Read::End;
    if (*begin == ',' || *begin == '/') return Read::Null;
    if (*begin == '\'' || *begin == '"') {
        char quote = *begin;
        std::string text;
        for (const char* p = begin + 1; p < end; ++p) {
            if (*p == quote) {
                if (p + 1 < end && p[1] == quote) {
                    text += quote;
                    ++p;
                } else {
                    name = text;
                    return Read::Value;
                }
            } else {
                text += *p;
            }
        }
        return Read::Bad;  // no closing quote on the line
    }
    name = unquotedToken(begin, end);
    return Read::Value;
}

// Reads the unquoted token of the next value line; Null for an empty value (comma, slash).
Read readToken(LineReader& in, std::string& token) {
    const char* begin;
    const char* end;
    if (!in.nextValueLine(begin, end)) return Read::End;
    if (*begin == ',' || *begin == '/') return Read::Null;
    token = unquotedToken(begin, end);
    return Read::Value;
}

void setName(model::NameField& field, const std::string& name) {
    std::memset(field.text, ' ', model::kNameLength);
    std::size_t n = name.size() < static_cast<std::size_t>(model::kNameLength)
                        ? name.size()
                        : static_cast<std::size_t>(model::kNameLength);
    std::memcpy(field.text, name.data(), n);
    field.text[model::kNameLength] = 0;
}

bool existsOnDisk(const char* name, void*) {
    struct stat st;
    return name[0] != 0 && ::stat(name, &st) == 0;
}

}  // namespace

std::string trimmedName(const model::NameField& name) {
    std::string s(name.text, model::kNameLength);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

ConfigResult parseConfiguration(const char* data, std::size_t size, FileExists exists,
                                void* context) {
    ConfigResult r;
    LineReader in{data, size};
    auto stop = [&r](const char* message) {
        r.stopped = true;
        r.stopMessage = message;
        return r;
    };

    // The count: an unreadable one leaves no image configured and the run goes on.
    long long count = 0;
    std::string token;
    Read countRead = readToken(in, token);
    if (countRead == Read::Value && !parseInteger(token, count)) {
        r.report += " Orvex: error reading the number of texture images.\n";
        return r;
    }
    if (count < 1) return stop("Orvex: < 1 texture image in Orvex.Txt, line 1.");
    if (count > model::kMaxImages) count = model::kMaxImages;
    r.imageCount = static_cast<int>(count);
    fields::TextLine countLine;
    countLine.blanks(4).i(count, 2).str(" texture images:");
    r.report += countLine.c_str();
    r.report += '\n';

    for (int i = 0; i < r.imageCount; ++i) {
        std::string name;
        Read nameRead = readName(in, name);
        if (nameRead == Read::Bad) {
            r.report += " ...not found.\n";
            return stop(" ");
        }
        setName(r.names[i], nameRead == Read::Value ? name : std::string());
        r.report += "  Importing:[";
        r.report.append(r.names[i].text, model::kNameLength);
        r.report += "]";
        std::string trimmed = trimmedName(r.names[i]);
        if (trimmed.empty() || !exists(trimmed.c_str(), context)) {
            r.report += "           ...not found.\a";
            return stop(" Halt.");
        }
        r.report += "               ...found.";

        double radius = 1.0;
        std::string radiusToken;
        if (readToken(in, radiusToken) == Read::Value) {
            double value;
            if (parseReal(radiusToken, value)) radius = value;
        }
        radius = std::fabs(radius);
        if (radius < 1.0) radius = 1.0;
        r.radii[i] = radius;
        fields::TextLine radiusLine;
        radiusLine.str("  radius=").f(radius, 8, 0).str(" km");
        r.report += radiusLine.c_str();
        r.report += '\n';
    }
    return r;
}

void ReadConfiguration() {
    model::State& s = model::state;
    console::write("  Searching for the user-supplied file Orvex.Txt");
    if (!existsOnDisk("Orvex.Txt", nullptr)) {
        console::write(" ...not found.\a");
        console::stop(" Halt.");
    }
    console::writeLine(" ...found.");

    std::FILE* file = std::fopen("Orvex.Txt", "rb");
    if (!file) console::ioFailure("cannot open", "Orvex.Txt");
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
        console::ioFailure(what.c_str(), "Orvex.Txt");
    }
    std::fclose(file);

    ConfigResult r = parseConfiguration(text.data(), text.size(), existsOnDisk, nullptr);
    // By length: a NUL byte read into a name must not cut the rest of the report short.
    console::write(r.report.data(), static_cast<int>(r.report.size()));
    if (r.stopped) console::stop(r.stopMessage.c_str());

    s.imageCount = r.imageCount;
    for (int i = 1; i <= r.imageCount; ++i) {
        s.ORVEPATH[i] = r.names[i - 1];
        s.ORVEXRAD[i] = r.radii[i - 1];
        textures.ORVEOUND[i] = {{-180.0, 180.0, -90.0, 90.0}};
    }
}

}  // namespace startup
