#include "orvextxt.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

// New lines end with CR LF unless the file has a line end of its own.
picture::OrvexTxtChange change(const std::string& before, const std::string& name) {
    return picture::changeOrvexTxt(before, name, "6371", "\r\n");
}

// One change a row. Each name added is read back by the viewer's reader as itself: changing it
// again replaces its radius.
TEST(OrvexTxtChange, AddsOrReplacesAndKeepsEveryOtherByte) {
    const struct {
        std::string before, name, after;
        bool added;         // else replaced
        int image, images;  // the image changed, of how many
    } kChanges[] = {
        {"", "a.bmp", "1\r\na.bmp\r\n6371\r\n", true, 1, 1},
        {"\n\n", "a.bmp", "1\na.bmp\n6371\n\n\n", true, 1, 1},
        {"2  maps\nx.bmp  day\n1, km\n\ny\n2 / b\nnotes\n", "a.bmp",
         "3  maps\nx.bmp  day\n1, km\n\ny\n2 / b\na.bmp\n6371\nnotes\n", true, 3, 3},
        {"0\nnotes\n", "a.bmp", "1\na.bmp\n6371\nnotes\n", true, 1, 1},
        {"2\nx\n1, km\na.bmp  moon\n2 / b\n", "a.bmp", "2\nx\n1, km\na.bmp  moon\n6371 / b\n", false, 2, 2},
        {"1\n'a.bmp  '\n5\n", "a.bmp", "1\n'a.bmp  '\n6371\n", false, 1, 1},  // as the viewer keeps it
        {"1\nabcdefghijklmnopqrstuv\n5\n", "abcdefghijklmnopqrst", "1\nabcdefghijklmnopqrstuv\n6371\n", false, 1, 1},
        {"5\na\n1\nb\n2\nc\n3\nd\n4\ne\n5\n", "e", "5\na\n1\nb\n2\nc\n3\nd\n4\ne\n6371\n", false, 5, 5},
        {"1\nx\n1", "a.bmp", "2\nx\n1\na.bmp\n6371\n", true, 2, 2},
        {"1\r\nx\r\n1", "a.bmp", "2\r\nx\r\n1\r\na.bmp\r\n6371\r\n", true, 2, 2},
        {"1\nx\r\n1\r\n", "a.bmp", "2\nx\r\n1\r\na.bmp\n6371\n", true, 2, 2},
        {"", "a, \"b\".bmp", "1\r\n\"a, \"\"b\"\".bmp\"\r\n6371\r\n", true, 1, 1},
    };
    for (const auto& row : kChanges) {
        const picture::OrvexTxtChange c = change(row.before, row.name);
        EXPECT_EQ(c.refusal, "") << row.before;
        EXPECT_EQ(c.text, row.after) << row.before;
        EXPECT_EQ(c.image, row.image) << row.before;
        EXPECT_EQ(c.images, row.images) << row.before;
        EXPECT_EQ(c.added, row.added) << row.before;
        if (c.added) EXPECT_FALSE(change(c.text, row.name).added) << c.text;
    }
}

TEST(OrvexTxtChange, RefusesAFileItCannotExtendSafely) {
    const struct {
        std::string before, refusal;
    } kRefusals[] = {
        {"three\na\n1\n", "its first value \"three\" is not a whole number"},
        {"1\ra\r1\r", "its first value \"1\ra\r1\r\" is not a whole number"},
        {"2\na\n1\n", "it ends before the name of image 2 of 2"},
        {"1\na\n", "it ends before the radius of image 1 of 1"},
        {"2\na\n1\n\"b\n2\n", "the name of image 2 (line 4) has no closing quote"},
        {"7\na\n1\nb\n2\nc\n3\nd\n4\ne\n5\n", "it already lists 5 images, the most the viewer reads"},
    };
    for (const auto& row : kRefusals) {
        const picture::OrvexTxtChange c = change(row.before, "f");
        EXPECT_EQ(c.refusal, row.refusal) << row.before;
        EXPECT_EQ(c.text, "") << row.before;
    }
}

}  // namespace
