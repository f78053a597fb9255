// The tests run a build with assertions, in the tests and in the core library alike.
#include <gtest/gtest.h>

#include "image/screendump.hpp"
#include "platform/table.hpp"

namespace {

TEST(AssertionsDeathTest, OutOfRangeIndicesStopTheProgram) {
    Table<int, 3> table;
    table[3] = 7;
    EXPECT_EQ(table.slot[2], 7);
    EXPECT_DEATH(table[0] = 1, "k >= 1");
    EXPECT_DEATH(table[4] = 1, "k <= N");
    char name[13];
    EXPECT_DEATH(image::dumpFileName(6, name), "number");  // compiled into orvex_core
}

}  // namespace
