// List-directed reading of the two text files, Orvex.Txt and Orvex.Out: a cursor over the lines
// that hold a value, and the number grammar both files share. Their small differences are the
// options of `ListGrammar`.
#pragma once
#include <cstddef>

namespace listread {

// How one file's text differs from the other's.
struct ListGrammar {
    bool carriageReturnIsBlank = false;  // a CR anywhere counts as a blank (else only before a line end)
    bool signAloneMarksExponent = false; // "1.5+3" reads as 1.5e3
    int maxNumberChars = 0;              // a longer number text is no number; 0 = no limit
};

// The lines of a text in memory, in order. A value line holds something besides blanks and tabs.
struct LineCursor {
    const char* data;
    std::size_t size;
    ListGrammar grammar;
    std::size_t pos = 0;

    // The next value line, from its first character that is no blank to its end (line end and a
    // CR before it excluded); false at the end of the text.
    bool nextValueLine(const char*& begin, const char*& end);
};

// End of the value that starts at `begin`: the first blank, tab, comma or slash before `end`.
const char* valueEnd(const char* begin, const char* end, const ListGrammar& grammar);

// An optional sign and decimal digits making up the whole of [begin, end), within 32 bits.
bool readInteger(const char* begin, const char* end, long long& value);

// A real making up the whole of [begin, end): an optional sign, digits with an optional decimal
// point, and an optional exponent (e, E, d or D, then an optional sign and digits). The value
// must be finite.
bool readReal(const char* begin, const char* end, const ListGrammar& grammar, double& value);

}  // namespace listread
