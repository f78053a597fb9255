// The picture helper's change to Orvex.Txt: the file read with the viewer's own reader, one name
// and radius added (the count on its first line raised) or a listed name's radius replaced, every
// other byte kept.
#pragma once
#include <string>

namespace picture {

struct OrvexTxtChange {
    std::string refusal;  // why the file cannot take the picture; empty when it can
    std::string text;     // the new file
    bool added = false;   // else a listed name's radius was replaced
    int image = 0;        // the picture's number in the file: its key in the viewer
    int images = 0;       // pictures the file lists after the change
};

// `text` is the file as it is ("" when missing); name and radius as they are to be written. The
// lines added end as the file's first line does; in a file without one, with `newLineEnd`.
OrvexTxtChange changeOrvexTxt(const std::string& text, const std::string& name, const std::string& radius,
                              const std::string& newLineEnd);

}  // namespace picture
