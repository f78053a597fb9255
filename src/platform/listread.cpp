#include "platform/listread.hpp"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace listread {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSign(char c) { return c == '+' || c == '-'; }

bool isBlank(char c, const ListGrammar& grammar) {
    return c == ' ' || c == '\t' || (grammar.carriageReturnIsBlank && c == '\r');
}

}  // namespace

bool LineCursor::nextValueLine(const char*& begin, const char*& end) {
    while (pos < size) {
        const char* lineBegin = data + pos;
        const char* lineEnd = static_cast<const char*>(std::memchr(lineBegin, '\n', size - pos));
        pos = lineEnd ? static_cast<std::size_t>(lineEnd - data) + 1 : size;
        if (!lineEnd) lineEnd = data + size;
        if (lineEnd > lineBegin && lineEnd[-1] == '\r') --lineEnd;  // files written on DOS
        const char* p = lineBegin;
        while (p < lineEnd && isBlank(*p, grammar)) ++p;
        if (p < lineEnd) {
            begin = p;
            end = lineEnd;
            return true;
        }
    }
    return false;
}

const char* valueEnd(const char* begin, const char* end, const ListGrammar& grammar) {
    const char* p = begin;
    while (p < end && !isBlank(*p, grammar) && *p != ',' && *p != '/') ++p;
    return p;
}

bool readInteger(const char* begin, const char* end, long long& value) {
    const char* p = begin;
    if (p < end && isSign(*p)) ++p;
    if (p == end || end - p > 10) return false;
    for (const char* q = p; q < end; ++q) {
        if (!isDigit(*q)) return false;
    }
    value = std::strtoll(std::string(begin, end).c_str(), nullptr, 10);
    return value >= -2147483648LL && value <= 2147483647LL;
}

bool readReal(const char* begin, const char* end, const ListGrammar& grammar, double& value) {
    if (grammar.maxNumberChars > 0 && end - begin > grammar.maxNumberChars) return false;
    // Check the form before anything converts it; the C library sees the exponent marked by 'e'.
    std::string text(begin, end);
    std::size_t k = 0;
    if (k < text.size() && isSign(text[k])) ++k;
    std::size_t digits = 0;
    while (k < text.size() && isDigit(text[k])) ++k, ++digits;
    if (k < text.size() && text[k] == '.') {
        ++k;
        while (k < text.size() && isDigit(text[k])) ++k, ++digits;
    }
    if (digits == 0) return false;
    if (k < text.size()) {
        const char c = text[k];
        if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
            text[k++] = 'e';
        } else if (isSign(c) && grammar.signAloneMarksExponent) {
            text.insert(k++, 1, 'e');
        } else {
            return false;
        }
        if (k < text.size() && isSign(text[k])) ++k;
        std::size_t exponentDigits = 0;
        while (k < text.size() && isDigit(text[k])) ++k, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    if (k != text.size()) return false;
    value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value);
}

}  // namespace listread
