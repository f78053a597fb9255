// The 20-character name field of the data model: file names in Orvex.Txt and the window title.
#pragma once
#include <cstddef>

namespace model {

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

}  // namespace model
