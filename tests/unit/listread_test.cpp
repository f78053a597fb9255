#include "platform/listread.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr listread::ListGrammar kPlain = {};                 // as Orvex.Txt reads
constexpr listread::ListGrammar kLenient = {true, true, 255};  // as Orvex.Out reads

// The first value of the first value line read as a real, or "none".
std::string firstReal(const std::string& text, const listread::ListGrammar& grammar) {
    listread::LineCursor in{text.data(), text.size(), grammar};
    const char* begin;
    const char* end;
    if (!in.nextValueLine(begin, end)) return "end";
    double value = 0;
    if (!listread::readReal(begin, listread::valueEnd(begin, end, grammar), grammar, value)) {
        return "none";
    }
    return std::to_string(value);
}

// The rules both files share are pinned by the configuration and lat/lon tests; these are the
// places where the two grammars part.
TEST(ListRead, TheTwoGrammarsDifferOnlyWhereTheirOptionsSay) {
    const std::string longNumber = std::string(300, '0') + "12";
    struct Case {
        std::string text;
        const char* plain;
        const char* lenient;
    } cases[] = {
        {"1.5+3\n", "none", "1500.000000"},           // an exponent marked by its sign alone
        {"2.5-1 x\n", "none", "0.250000"},
        {longNumber + "\n", "12.000000", "none"},      // over 255 characters
        {"\r\r\n7\n", "none", "7.000000"},             // CRs inside a line: value or blanks
        {"\r 8\n", "none", "8.000000"},
        {"9\r5\n", "none", "9.000000"},
        {"6371\r\n", "6371.000000", "6371.000000"},    // a DOS line end is no value in either
        {" \t\n", "end", "end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(firstReal(c.text, kPlain), c.plain);
        EXPECT_EQ(firstReal(c.text, kLenient), c.lenient);
    }
}

TEST(ListRead, IntegersAreWholeTokensWithin32Bits) {
    struct Case {
        const char* token;
        bool ok;
        long long value;
    } cases[] = {
        {"5", true, 5},           {"+12", true, 12},        {"-2147483648", true, -2147483648LL},
        {"2147483647", true, 2147483647LL}, {"2147483648", false, 0}, {"00000000001", false, 0},
        {"", false, 0},           {"-", false, 0},          {"2.0", false, 0},
        {"1e3", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.token);
        long long value = 0;
        EXPECT_EQ(listread::readInteger(c.token, c.token + std::strlen(c.token), value), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
    }
}

}  // namespace
