#include "startup/config.hpp"

#include <cmath>
#include <string>

#include "platform/fields.hpp"
#include "platform/listread.hpp"

namespace startup {

namespace {

// The unquoted value at `begin`: up to the first blank, tab, comma or slash.
void takeToken(ConfigValue& v, const char* data, const char* begin, const char* end) {
    const char* stop = listread::valueEnd(begin, end, kConfigGrammar);
    v.read = ValueRead::value;
    v.text.assign(begin, stop);
    v.begin = static_cast<std::size_t>(begin - data);
    v.end = static_cast<std::size_t>(stop - data);
}

// The next value line and its first value into v (null for an empty value: comma, slash); false
// at the end of the text.
bool nextValue(listread::LineCursor& in, ConfigValue& v, const char*& begin, const char*& end) {
    if (!in.nextValueLine(begin, end)) return false;
    takeToken(v, in.data, begin, end);
    if (*begin == ',' || *begin == '/') v.read = ValueRead::null;
    return true;
}

ConfigValue readToken(listread::LineCursor& in) {
    ConfigValue v;
    const char* begin;
    const char* end;
    nextValue(in, v, begin, end);
    return v;
}

// Reads one name: quoted (apostrophes or double quotes, doubled quotes inside) or unquoted.
ConfigValue readName(listread::LineCursor& in) {
    ConfigValue v;
    const char* begin;
    const char* end;
    if (!nextValue(in, v, begin, end) || (*begin != '\'' && *begin != '"')) return v;
    const char quote = *begin;
    v.text.clear();
    for (const char* p = begin + 1; p < end; ++p) {
        if (*p != quote) {
            v.text += *p;
        } else if (p + 1 < end && p[1] == quote) {
            v.text += quote;
            ++p;
        } else {
            v.end = static_cast<std::size_t>(p + 1 - in.data);
            return v;
        }
    }
    v.read = ValueRead::bad;  // no closing quote on the line
    return v;
}

}  // namespace

ConfigValues scanConfiguration(const char* data, std::size_t size) {
    ConfigValues v;
    listread::LineCursor in{data, size, kConfigGrammar};
    v.count = readToken(in);
    if (v.count.read != ValueRead::value) return v;
    const std::string& token = v.count.text;
    if (!listread::readInteger(token.data(), token.data() + token.size(), v.countValue)) {
        v.countValue = 0;
        v.countUnreadable = true;
        return v;
    }
    const long long images = v.countValue < model::kMaxImages ? v.countValue : model::kMaxImages;
    for (; v.pairs < images; ++v.pairs) {
        v.names[v.pairs] = readName(in);
        if (v.names[v.pairs].read == ValueRead::bad) return ++v.pairs, v;
        v.radii[v.pairs] = readToken(in);
    }
    return v;
}

ConfigResult parseConfiguration(const char* data, std::size_t size, FileExists exists,
                                void* context) {
    ConfigResult r;
    const ConfigValues v = scanConfiguration(data, size);
    auto stop = [&r](console::Failure failure, const char* message) {
        r.stopped = true;
        r.stopFailure = failure;
        r.stopMessage = message;
        return r;
    };

    // The count: an unreadable one leaves no image configured and the run goes on.
    if (v.countUnreadable) {
        r.report += " Orvex: error reading the number of texture images.\n";
        return r;
    }
    long long count = v.countValue;
    if (count < 1) return stop(console::Failure::configEmpty, "Orvex: < 1 texture image in Orvex.Txt, line 1.");
    if (count > model::kMaxImages) {
        count = model::kMaxImages;
        r.countCut = true;
        r.countText = v.count.text;
    }
    r.imageCount = static_cast<int>(count);
    fields::TextLine countLine;
    countLine.blanks(4).i(count, 2).str(" texture images:");
    r.report += countLine.c_str();
    r.report += '\n';

    for (int i = 0; i < r.imageCount; ++i) {
        const ConfigValue& name = v.names[i];
        if (name.read == ValueRead::bad) {
            r.report += " ...not found.\n";
            r.stopsSilently = true;
            return stop(console::Failure::configName, "");
        }
        if (name.read == ValueRead::value) model::setName(r.names[i], name.text.data(), name.text.size());
        r.report += "  Importing:[";
        r.report.append(r.names[i].text, model::kNameLength);
        r.report += "]";
        const model::TrimmedName trimmed = model::trimmedName(r.names[i].text);
        if (trimmed.text[0] == '\0' || !exists(trimmed.text, context)) {
            r.report += "           ...not found.\a";
            r.stopDetail = trimmed.text;
            return stop(console::Failure::imageMissing, " Halt.");
        }
        r.report += "               ...found.";

        double radius = 1.0;
        const ConfigValue& given = v.radii[i];
        if (given.read == ValueRead::value) {
            double value;
            if (listread::readReal(given.text.data(), given.text.data() + given.text.size(), kConfigGrammar, value)) {
                radius = value;
            }
        }
        radius = std::fabs(radius);
        if (radius < 1.0) radius = 1.0;
        r.radii[i] = radius;
        fields::TextLine radiusLine;
        radiusLine.str("  radius=").f(radius, kRadiusColumns, 0).str(" km");
        r.report += radiusLine.c_str();
        r.report += '\n';
    }
    return r;
}


}  // namespace startup
