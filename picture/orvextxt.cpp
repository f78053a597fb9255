#include "orvextxt.hpp"

#include <algorithm>

#include "model/types.hpp"
#include "startup/config.hpp"

namespace picture {

namespace {

// A name as the viewer keeps it: its first 20 characters without trailing blanks.
std::string kept(const std::string& name) {
    model::NameField field;
    model::setName(field, name.data(), name.size());
    return model::trimmedName(field.text).text;
}

// The name as a value the viewer reads back whole: quoted when it holds a separator or a quote.
std::string quoted(const std::string& name) {
    if (name.find_first_of(" \t,/\"'") == std::string::npos) return name;
    std::string text = "\"";
    for (char c : name) text += c == '"' ? std::string("\"\"") : std::string(1, c);
    return text + "\"";
}

// Offset just past the line that holds `at`, past its line end.
std::size_t lineEndAfter(const std::string& text, std::size_t at) {
    const std::size_t end = text.find('\n', at);
    return end == std::string::npos ? text.size() : end + 1;
}

}  // namespace

OrvexTxtChange changeOrvexTxt(const std::string& original, const std::string& name, const std::string& radius,
                              const std::string& newLineEnd) {
    OrvexTxtChange change;
    // The file's own line end (CR LF stays CR LF); every line of the new file ends with one.
    const std::size_t firstEnd = original.find('\n');
    const std::string eol = firstEnd == std::string::npos ? newLineEnd
                            : firstEnd > 0 && original[firstEnd - 1] == '\r' ? "\r\n" : "\n";
    const std::string text = original.empty() || original.back() == '\n' ? original : original + eol;
    const startup::ConfigValues values = startup::scanConfiguration(text.data(), text.size());
    const std::string pair = quoted(name) + eol + radius + eol;
    if (values.count.read == startup::ValueRead::end) {  // no values at all: a fresh file
        change.text = "1" + eol + pair + text;
        change.added = true, change.image = change.images = 1;
        return change;
    }
    if (values.count.read != startup::ValueRead::value || values.countUnreadable) {
        change.refusal = "its first value \"" + values.count.text + "\" is not a whole number";
        return change;
    }
    const int count = int(std::max(0LL, std::min<long long>(values.countValue, model::kMaxImages)));
    std::size_t last = values.count.end;  // where the last value read ends
    int found = 0;
    for (int i = 0; i < count; ++i) {
        const std::string image = std::to_string(i + 1) + " of " + std::to_string(count);
        const startup::ConfigValue& listed = values.names[i];
        if (listed.read == startup::ValueRead::end) {
            change.refusal = "it ends before the name of image " + image;
            return change;
        }
        if (listed.read == startup::ValueRead::bad) {
            const long long line = 1 + std::count(text.begin(), text.begin() + long(listed.begin), '\n');
            change.refusal = "the name of image " + std::to_string(i + 1) + " (line " + std::to_string(line) +
                             ") has no closing quote";
            return change;
        }
        if (values.radii[i].read == startup::ValueRead::end) {
            change.refusal = "it ends before the radius of image " + image;
            return change;
        }
        if (!found && kept(listed.text) == name) found = i + 1;
        last = values.radii[i].end;
    }
    change.images = count;
    if (found) {
        const startup::ConfigValue& old = values.radii[found - 1];
        change.text = text.substr(0, old.begin) + radius + text.substr(old.end);
        change.image = found;
        return change;
    }
    if (count >= model::kMaxImages) {
        change.refusal = "it already lists " + std::to_string(model::kMaxImages) + " images, the most the viewer reads";
        return change;
    }
    // The count raised in place; the new pair on the lines after the last one read.
    std::string edited = text.substr(0, lineEndAfter(text, last)) + pair + text.substr(lineEndAfter(text, last));
    change.text = edited.replace(values.count.begin, values.count.end - values.count.begin, std::to_string(count + 1));
    change.added = true, change.image = change.images = count + 1;
    return change;
}

}  // namespace picture
