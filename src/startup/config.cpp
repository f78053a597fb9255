#include "startup/config.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/state.hpp"
#include "platform/console.hpp"
#include "platform/fields.hpp"
#include "platform/files.hpp"
#include "platform/listread.hpp"
#include "startup/textures.hpp"

namespace startup {

namespace {

// Orvex.Txt takes the plain grammar: blanks and tabs, a CR only before a line end.
constexpr listread::ListGrammar kConfigGrammar = {};

enum class Read { value, null, end, bad };

// The unquoted value at the start of a line: up to the first blank, tab, comma or slash.
std::string unquotedToken(const char* begin, const char* end) {
    return std::string(begin, listread::valueEnd(begin, end, kConfigGrammar));
}

bool parseInteger(const std::string& token, long long& value) {
    return listread::readInteger(token.data(), token.data() + token.size(), value);
}

bool parseReal(const std::string& token, double& value) {
    return listread::readReal(token.data(), token.data() + token.size(), kConfigGrammar, value);
}

// Reads one name: quoted (apostrophes or double quotes, doubled quotes inside) or unquoted.
Read readName(listread::LineCursor& in, std::string& name) {
    const char* begin;
    const char* end;
    if (!in.nextValueLine(begin, end)) return Read::end;
    if (*begin == ',' || *begin == '/') return Read::null;
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
                    return Read::value;
                }
            } else {
                text += *p;
            }
        }
        return Read::bad;  // no closing quote on the line
    }
    name = unquotedToken(begin, end);
    return Read::value;
}

// Reads the unquoted token of the next value line; Null for an empty value (comma, slash).
Read readToken(listread::LineCursor& in, std::string& token) {
    const char* begin;
    const char* end;
    if (!in.nextValueLine(begin, end)) return Read::end;
    if (*begin == ',' || *begin == '/') return Read::null;
    token = unquotedToken(begin, end);
    return Read::value;
}

bool existsOnDisk(const char* name, void*) { return files::exists(name); }

}  // namespace

ConfigResult parseConfiguration(const char* data, std::size_t size, FileExists exists,
                                void* context) {
    ConfigResult r;
    listread::LineCursor in{data, size, kConfigGrammar};
    auto stop = [&r](const char* message) {
        r.stopped = true;
        r.stopMessage = message;
        return r;
    };

    // The count: an unreadable one leaves no image configured and the run goes on.
    long long count = 0;
    std::string token;
    Read countRead = readToken(in, token);
    if (countRead == Read::value && !parseInteger(token, count)) {
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
        if (nameRead == Read::bad) {
            r.report += " ...not found.\n";
            r.stopsSilently = true;
            return stop("");
        }
        if (nameRead != Read::value) name.clear();
        model::setName(r.names[i], name.data(), name.size());
        r.report += "  Importing:[";
        r.report.append(r.names[i].text, model::kNameLength);
        r.report += "]";
        const model::TrimmedName trimmed = model::trimmedName(r.names[i].text);
        if (trimmed.text[0] == '\0' || !exists(trimmed.text, context)) {
            r.report += "           ...not found.\a";
            return stop(" Halt.");
        }
        r.report += "               ...found.";

        double radius = 1.0;
        std::string radiusToken;
        if (readToken(in, radiusToken) == Read::value) {
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

void readConfiguration() {
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
    if (r.stopped && r.stopsSilently) console::stopSilently();
    if (r.stopped) console::stop(r.stopMessage.c_str());

    s.imageCount = r.imageCount;
    for (int i = 1; i <= r.imageCount; ++i) {
        s.ORVEPATH[i] = r.names[i - 1];
        s.ORVEXRAD[i] = r.radii[i - 1];
        textures.ORVEOUND[i] = {{-180.0, 180.0, -90.0, 90.0}};
    }
}

}  // namespace startup
