// Fixed-width number fields and a text line builder shared by the console, the screen texts and
// the lat/lon file. Every field is right-justified with leading blanks; a value too wide for its
// field fills it with asterisks.
#pragma once
#include <cstdint>

namespace fields {

// Each writes exactly `width` characters to `out` (no terminating NUL).
void integer(char* out, long long value, int width);
// `digits` after the decimal point; the point is printed also when digits is 0 ("6371.").
// Rounds to nearest, halves away from zero. A value that rounds to zero prints without a sign.
void fixed(char* out, double value, int width, int digits);
// Upper-case hexadecimal digits of the value taken as an unsigned 32-bit number.
void hex(char* out, std::uint32_t value, int width);

// A line of text built piece by piece into a fixed buffer; never allocates.
struct TextLine {
    static constexpr int kCapacity = 160;
    char text[kCapacity + 1] = {};  // always NUL-terminated
    int length = 0;                // characters written

    TextLine& str(const char* s);                 // appended up to its NUL
    TextLine& chars(const char* s, int count);    // exactly count characters
    TextLine& ch(char c);
    TextLine& blanks(int count);
    TextLine& i(long long value, int width);
    TextLine& f(double value, int width, int digits);
    TextLine& z(std::uint32_t value, int width);
    TextLine& padTo(int count);                   // blanks up to `count` characters
    void clear() { length = 0; text[0] = 0; }
    const char* c_str() const { return text; }
};

}  // namespace fields
