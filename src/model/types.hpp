// The data model's types and limits: the image count, the 20-character name field of the file
// names in Orvex.Txt and of the window title, and the view modes.
#pragma once
#include <cstddef>

namespace model {

constexpr int kMaxImages = 5;    // images an Orvex.Txt may configure
constexpr int kNameLength = 20;  // a name is a fixed field of 20 characters, blank padded

// A name field: 20 characters, blank padded, plus a NUL so it can be printed.
struct NameField {
    char text[kNameLength + 1] = "                    ";
};

// A name without its trailing blanks, as a C string (to open the file it names).
struct TrimmedName {
    char text[kNameLength + 1] = {};
};

// Length of `text` without trailing blanks, counting at most `length` characters and none from
// a NUL on.
int trimmedLength(const char* text, int length);

// The first 20 characters of a name field (fewer at a NUL) without trailing blanks.
TrimmedName trimmedName(const char* field);

// Sets the field to the first 20 characters of `name`, blank padded.
void setName(NameField& field, const char* name, std::size_t length);

// What the frame's mode step does; the values are those of the menu entries' commands.
enum ViewMode : int {
    kNoViewMode = 0,       // before the first frame
    kLatLonExchange = 11,  // L: export or import the centre position and resize the window
    kAutoRotating = 12,    // R: the sphere turns on its own
    kPointerMode = 13,     // the orientation follows the pointer
};

// The menu value a drag posts in pendingMenuValue: back to pointer mode, auto-rotation off.
constexpr int kDragMenuValue = 13;

}  // namespace model
