// The text files a user edits, read back from hostile content: what the readers found under fuzzing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "bmp_testfiles.hpp"
#include "startup/config.hpp"

namespace {

std::string readAll(const char* name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs the configuration step in the death-test child with standard output in a file; the child
// ends with `statusAfter` when the step returns instead of stopping.
void configureInto(const char* outputFile, int statusAfter = 0) {
    if (!std::freopen(outputFile, "w", stdout)) std::_Exit(98);
    startup::readConfiguration();
    std::fflush(stdout);
    std::_Exit(statusAfter);
}

class HostileText : public bmptest::ScratchFolder {};

// A NUL byte inside a name (a binary file saved as Orvex.Txt) used to cut the printed report off
// at that byte, losing the rest of the line and every later image line.
TEST_F(HostileText, NulByteInANameDoesNotCutTheReportShort) {
    const char text[] = "2\nab\0c.bmp 1\n7\nsecond.bmp\n3\n";
    const std::string config(text, sizeof text - 1);
    bmptest::writeFile("Orvex.Txt", bmptest::Bytes(config.begin(), config.end()));
    bmptest::writeFile("ab", {});  // the name as the file system sees it ends at the NUL
    bmptest::writeFile("second.bmp", {});
    EXPECT_EXIT(configureInto("out.txt"), ::testing::ExitedWithCode(0), "^$");
    const std::string expected =
        std::string("  Searching for the user-supplied file Orvex.Txt ...found.\n") +
        "     2 texture images:\n" +
        "  Importing:[" + std::string("ab\0c.bmp", 8) + "            ]               ...found.  radius=      7. km\n" +
        "  Importing:[second.bmp          ]               ...found.  radius=      3. km\n";
    EXPECT_EQ(readAll("out.txt"), expected);
}

// A name without its closing quote ends the run after the report, writing no message at all.
TEST_F(HostileText, UnclosedQuoteStopsWithoutAMessage) {
    const std::string config = "1\n'no closing quote\n1\n";
    bmptest::writeFile("Orvex.Txt", bmptest::Bytes(config.begin(), config.end()));
    EXPECT_EXIT(configureInto("out.txt", 3), ::testing::ExitedWithCode(0), "^$");
    EXPECT_EQ(readAll("out.txt"), "  Searching for the user-supplied file Orvex.Txt ...found.\n"
                                  "     1 texture images:\n ...not found.\n");
}

}  // namespace
