#include "model/types.hpp"

#include <gtest/gtest.h>

namespace {

TEST(NameField, TrimStopsAtTheFieldEndANulAndTrailingBlanks) {
    // A field read from a file is exactly 20 characters; what follows it is not part of the name.
    const char field[] = "a b.bmp             tail";
    EXPECT_STREQ(model::trimmedName(field).text, "a b.bmp");
    EXPECT_STREQ(model::trimmedName("twenty-characters.bm+more").text, "twenty-characters.bm");
    EXPECT_STREQ(model::trimmedName("short\0    hidden").text, "short");
    EXPECT_STREQ(model::trimmedName("                    ").text, "");
    EXPECT_EQ(model::trimmedLength("R  x   ", 7), 4);
    EXPECT_EQ(model::trimmedLength("R  x   ", 2), 1);
}

}  // namespace
