#include "platform/fields.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string fixedField(double v, int w, int d) {
    fields::TextLine line;
    line.f(v, w, d);
    return line.c_str();
}

TEST(NumberFields, FixedPointRoundsToNearestAndKeepsThePoint) {
    EXPECT_EQ(fixedField(6371, 8, 0), "   6371.");
    EXPECT_EQ(fixedField(1737.4, 8, 0), "   1737.");
    EXPECT_EQ(fixedField(1737.5, 8, 0), "   1738.");
    EXPECT_EQ(fixedField(2.5, 4, 0), "  3.");     // halves go away from zero
    EXPECT_EQ(fixedField(-2.5, 4, 0), " -3.");
    EXPECT_EQ(fixedField(0.125, 6, 2), "  0.13");
    EXPECT_EQ(fixedField(45, 6, 1), "  45.0");
    EXPECT_EQ(fixedField(-93.4, 6, 1), " -93.4");
    EXPECT_EQ(fixedField(-180.0, 6, 1), "-180.0");
    EXPECT_EQ(fixedField(0.5241f, 10, 2), "      0.52");
    EXPECT_EQ(fixedField(9.996, 6, 2), " 10.00");  // carry into a new digit
    EXPECT_EQ(fixedField(0.04, 6, 1), "   0.0");
    EXPECT_EQ(fixedField(-0.04, 6, 1), "   0.0");   // no sign on a value that rounds to zero
}

TEST(NumberFields, TooWideValuesFillTheFieldWithAsterisks) {
    EXPECT_EQ(fixedField(9999999, 8, 0), "9999999.");
    EXPECT_EQ(fixedField(10000000, 8, 0), "********");
    EXPECT_EQ(fixedField(-1000.0, 6, 1), "******");
    EXPECT_EQ(fixedField(1.0 / 0.0, 8, 1), "********");
    fields::TextLine line;
    line.i(100, 2).ch('|').i(-5, 2).ch('|').i(-10, 2).ch('|').i(7, 1);
    EXPECT_STREQ(line.c_str(), "**|-5|**|7");
}

TEST(NumberFields, IntegerAndHexAreRightJustified) {
    fields::TextLine line;
    line.i(5, 2).ch('|').i(489, 4).ch('|').z(0x502, 8).ch('|').z(0xFFFFFFFFu, 8).ch('|').z(0, 8);
    EXPECT_STREQ(line.c_str(), " 5| 489|     502|FFFFFFFF|       0");
}

TEST(NumberFields, TextLinePadsAndCutsAtItsCapacity) {
    fields::TextLine line;
    line.str("ab").padTo(5).str("c");
    EXPECT_STREQ(line.c_str(), "ab   c");
    fields::TextLine full;
    full.blanks(fields::TextLine::kCapacity + 10).str("x");
    EXPECT_EQ(full.length, fields::TextLine::kCapacity);
}

}  // namespace
