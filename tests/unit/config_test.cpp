#include "startup/config.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Image files that "exist" for a test: every name except those starting with "missing".
bool fakeExists(const char* name, void* context) {
    auto* seen = static_cast<std::set<std::string>*>(context);
    if (seen) seen->insert(name);
    return std::string(name).rfind("missing", 0) != 0;
}

startup::ConfigResult parse(const std::string& text, std::set<std::string>* seen = nullptr) {
    return startup::parseConfiguration(text.data(), text.size(), fakeExists, seen);
}

std::string imageLine(const char* name20, const char* radius8) {
    return std::string("  Importing:[") + name20 + "]               ...found.  radius=" + radius8 + " km\n";
}

TEST(Configuration, ThreeImagesWithCommentsAndFractions) {
    auto r = parse("3\nearth.bmp\n6371\nmars.bmp\n3390 km, a comment\nmoon.bmp\n1737.4\n");
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(r.report, "     3 texture images:\n" +
                            imageLine("earth.bmp           ", "   6371.") +
                            imageLine("mars.bmp            ", "   3390.") +
                            imageLine("moon.bmp            ", "   1737."));
    ASSERT_EQ(r.imageCount, 3);
    EXPECT_DOUBLE_EQ(r.radii[2], 1737.4);
    EXPECT_STREQ(r.names[1].text, "mars.bmp            ");
}

TEST(Configuration, CountAboveFiveIsCutAndLaterImagesAreNeverRead) {
    std::string text = "7 images\n";
    for (int i = 1; i <= 7; ++i) text += "p" + std::to_string(i) + ".bmp\n" + std::to_string(1000 * i) + "\n";
    std::set<std::string> seen;
    auto r = parse(text, &seen);
    EXPECT_EQ(r.imageCount, 5);
    EXPECT_EQ(r.report.substr(0, 22), "     5 texture images:");
    EXPECT_EQ(seen.count("p6.bmp"), 0u);
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_TRUE(r.countCut);
    EXPECT_EQ(r.countText, "7");
    EXPECT_FALSE(parse("5\n").countCut);
}

TEST(Configuration, ValuesComeFromFreshLinesAndBlankLinesAreSkipped) {
    // The radius is never taken from the name's own line, and blank lines before a value count
    // for nothing.
    auto r = parse("\n  \t\n 1\n\n\tearth.bmp 6371\n   \n  250,\n");
    ASSERT_EQ(r.imageCount, 1);
    EXPECT_STREQ(r.names[0].text, "earth.bmp           ");
    EXPECT_DOUBLE_EQ(r.radii[0], 250.0);
}

TEST(Configuration, NamesEndAtBlankCommaOrSlashUnlessQuoted) {
    std::set<std::string> seen;
    auto r = parse("4\na b.bmp\n1\nc,d.bmp\n1\n'my ''big'' map.bmp' 9\n1\n\"x/y, z.bmp\"\n1\n", &seen);
    ASSERT_EQ(r.imageCount, 4);
    EXPECT_STREQ(r.names[0].text, "a                   ");
    EXPECT_STREQ(r.names[1].text, "c                   ");
    EXPECT_STREQ(r.names[2].text, "my 'big' map.bmp    ");
    EXPECT_STREQ(r.names[3].text, "x/y, z.bmp          ");
    EXPECT_EQ(seen.count("my 'big' map.bmp"), 1u);  // looked for without the trailing blanks
}

TEST(Configuration, LongNamesKeepTheirFirstTwentyCharacters) {
    std::set<std::string> seen;
    auto r = parse("1\nabcdefghijklmnopqrstuvwxy.bmp\n1\n", &seen);
    EXPECT_STREQ(r.names[0].text, "abcdefghijklmnopqrst");
    EXPECT_EQ(seen.count("abcdefghijklmnopqrst"), 1u);
}

TEST(Configuration, RadiusRules) {
    auto radiusOf = [](const std::string& value) {
        auto r = parse("1\nmap.bmp\n" + value);
        EXPECT_FALSE(r.stopped);
        return r.radii[0];
    };
    EXPECT_DOUBLE_EQ(radiusOf("-0.5\n"), 1.0);
    EXPECT_DOUBLE_EQ(radiusOf("-2000\n"), 2000.0);
    EXPECT_DOUBLE_EQ(radiusOf("0.25\n"), 1.0);
    EXPECT_DOUBLE_EQ(radiusOf("six\n"), 1.0);     // not a number
    EXPECT_DOUBLE_EQ(radiusOf(""), 1.0);          // the file ends first
    EXPECT_DOUBLE_EQ(radiusOf("1.5e3\n"), 1500.0);
    EXPECT_DOUBLE_EQ(radiusOf("2D3\n"), 2000.0);
    EXPECT_DOUBLE_EQ(radiusOf("+.5E+4\n"), 5000.0);
    EXPECT_DOUBLE_EQ(radiusOf("1e999\n"), 1.0);   // beyond double: unreadable
    EXPECT_DOUBLE_EQ(radiusOf("nan\n"), 1.0);
    EXPECT_DOUBLE_EQ(radiusOf("6371\r\n"), 6371.0);
}

TEST(Configuration, RadiusTooWideForItsColumnsPrintsAsterisks) {
    EXPECT_NE(parse("1\nm.bmp\n9999999\n").report.find("radius=9999999. km"), std::string::npos);
    EXPECT_NE(parse("1\nm.bmp\n10000000\n").report.find("radius=******** km"), std::string::npos);
}

TEST(Configuration, UnreadableCountLeavesNoImageAndTheRunGoesOn) {
    auto r = parse("three\nearth.bmp\n6371\n");
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(r.imageCount, 0);
    EXPECT_EQ(r.report, " Orvex: error reading the number of texture images.\n");
    EXPECT_EQ(parse("2.0\n").imageCount, 0);
    EXPECT_EQ(parse("99999999999\n").report, " Orvex: error reading the number of texture images.\n");
}

TEST(Configuration, StopsOfTheConfigurationStep) {
    for (const char* text : {"", "\n\n", "0\n", "-3\n"}) {
        auto r = parse(text);
        EXPECT_TRUE(r.stopped) << text;
        EXPECT_EQ(r.stopMessage, "Orvex: < 1 texture image in Orvex.Txt, line 1.");
        EXPECT_EQ(r.stopFailure, console::Failure::configEmpty);
        EXPECT_EQ(r.report, "");
    }
    auto missing = parse("2\nmissing.bmp\n1\n");
    EXPECT_TRUE(missing.stopped);
    EXPECT_EQ(missing.stopMessage, " Halt.");
    EXPECT_EQ(missing.stopFailure, console::Failure::imageMissing);
    EXPECT_EQ(missing.stopDetail, "missing.bmp");
    EXPECT_EQ(missing.report, "     2 texture images:\n  Importing:[missing.bmp         ]           ...not found.\a");

    auto ended = parse("2\na.bmp\n1\n");  // the file ends before the second name
    EXPECT_TRUE(ended.stopped);
    EXPECT_EQ(ended.stopMessage, " Halt.");
    EXPECT_NE(ended.report.find("  Importing:[                    ]           ...not found.\a"), std::string::npos);

    auto unreadable = parse("1\n'no closing quote\n1\n");
    EXPECT_TRUE(unreadable.stopped);
    EXPECT_TRUE(unreadable.stopsSilently);
    EXPECT_EQ(unreadable.stopFailure, console::Failure::configName);
    EXPECT_EQ(unreadable.report, "     1 texture images:\n ...not found.\n");
}

}  // namespace
