#include "platform/fields.hpp"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace fields {

namespace {

void fillStars(char* out, int width) { std::memset(out, '*', static_cast<size_t>(width)); }

// Right-justifies `len` characters of `s` in `width` columns, or asterisks when they do not fit.
void place(char* out, const char* s, int len, int width) {
    if (width <= 0) return;
    if (len > width) {
        fillStars(out, width);
        return;
    }
    std::memset(out, ' ', static_cast<size_t>(width - len));
    std::memcpy(out + (width - len), s, static_cast<size_t>(len));
}

}  // namespace

void integer(char* out, long long value, int width) {
    char buf[32];
    int len = std::snprintf(buf, sizeof buf, "%lld", value);
    place(out, buf, len, width);
}

void fixed(char* out, double value, int width, int digits) {
    if (width <= 0) return;
    if (!std::isfinite(value)) {
        fillStars(out, width);
        return;
    }
    if (digits < 0) digits = 0;
    if (digits > 15) digits = 15;
    // The exact decimal expansion, 25 digits past the last printed one, rounded by hand so
    // that halves go away from zero whatever the C library's own rule is.
    char exact[400];
    int n = std::snprintf(exact, sizeof exact, "%.*f", digits + 25, std::fabs(value));
    if (n <= 0 || n >= static_cast<int>(sizeof exact)) {
        fillStars(out, width);
        return;
    }
    char* point = std::strchr(exact, '.');
    int intLen = static_cast<int>(point - exact);
    // Digits without the point: integer part then `digits` fraction digits.
    char num[400];
    int len = 0;
    for (int k = 0; k < intLen; ++k) num[len++] = exact[k];
    for (int k = 0; k < digits; ++k) num[len++] = point[1 + k];
    bool roundUp = point[1 + digits] >= '5';
    if (roundUp) {
        int k = len - 1;
        while (k >= 0 && num[k] == '9') num[k--] = '0';
        if (k >= 0) {
            num[k] += 1;
        } else {  // carry past the first digit
            std::memmove(num + 1, num, static_cast<size_t>(len));
            num[0] = '1';
            ++len;
            ++intLen;
        }
    }
    bool zero = true;
    for (int k = 0; k < len; ++k) zero = zero && num[k] == '0';
    char buf[420];
    int b = 0;
    if (value < 0 && !zero) buf[b++] = '-';
    for (int k = 0; k < intLen; ++k) buf[b++] = num[k];
    buf[b++] = '.';
    for (int k = 0; k < digits; ++k) buf[b++] = num[intLen + k];
    place(out, buf, b, width);
}

void hex(char* out, std::uint32_t value, int width) {
    char buf[16];
    int len = std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(value));
    place(out, buf, len, width);
}

TextLine& TextLine::chars(const char* s, int count) {
    for (int k = 0; k < count && length < kCapacity; ++k) text[length++] = s[k];
    text[length] = 0;
    return *this;
}

TextLine& TextLine::str(const char* s) { return chars(s, static_cast<int>(std::strlen(s))); }

TextLine& TextLine::ch(char c) { return chars(&c, 1); }

TextLine& TextLine::blanks(int count) {
    while (count-- > 0 && length < kCapacity) text[length++] = ' ';
    text[length] = 0;
    return *this;
}

TextLine& TextLine::padTo(int count) { return blanks(count - length); }

TextLine& TextLine::i(long long value, int width) {
    if (width > 0 && length + width <= kCapacity) {
        integer(text + length, value, width);
        length += width;
        text[length] = 0;
    }
    return *this;
}

TextLine& TextLine::f(double value, int width, int digits) {
    if (width > 0 && length + width <= kCapacity) {
        fixed(text + length, value, width, digits);
        length += width;
        text[length] = 0;
    }
    return *this;
}

TextLine& TextLine::z(std::uint32_t value, int width) {
    if (width > 0 && length + width <= kCapacity) {
        hex(text + length, value, width);
        length += width;
        text[length] = 0;
    }
    return *this;
}

}  // namespace fields
