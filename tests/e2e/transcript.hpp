// Pieces of the start-up report, assembled by hand from the documented line layouts.
#pragma once

#include <string>

namespace e2e::lines {

// Title line: one blank, then the title in a 20-character field.
inline const std::string title = " Orvex.Exe v0.73     \n";
// Search line with its "found" ending.
inline const std::string found = "  Searching for the user-supplied file Orvex.Txt ...found.\n";
inline const std::string opening = title + found;

// A name in its 20-character field (cut or padded).
inline std::string field20(const std::string& name) {
    std::string f = name.substr(0, 20);
    f.resize(20, ' ');
    return f;
}

// Image line of a file that exists, completed by its radius field (8 columns, given as written).
inline std::string image(const std::string& name, const std::string& radius8) {
    return "  Importing:[" + field20(name) + "]" + std::string(15, ' ') + "...found." +
           "  radius=" + radius8 + " km\n";
}

}  // namespace e2e::lines
